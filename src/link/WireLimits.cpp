#include "link/WireLimits.h"

#include "link/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace devlink {
namespace {

int16_t Lengthened(int16_t limit, int16_t ticks)
{
    return static_cast<int16_t>(std::min<int>(limit + ticks, std::numeric_limits<int16_t>::max()));
}

}  // namespace

int16_t WireTicks(size_t bytes, const LineSettings& settings)
{
    const auto tick = std::chrono::milliseconds(kTickIntervalMs);
    const auto wire = WireTime(bytes, settings);
    const auto ticks = (wire + tick - std::chrono::nanoseconds(1)) / tick;
    return static_cast<int16_t>(std::min<int64_t>(ticks, std::numeric_limits<int16_t>::max()));
}

Limits WithWireTime(Limits limits, size_t requestBytes, size_t longestReplyBytes, const QString& settingsText)
{
    LineSettings settings;
    try {
        settings = ParseLineSettings(settingsText);
    } catch (const SerialError&) {
        return limits;
    }
    const int16_t request = WireTicks(requestBytes, settings);
    const int16_t reply = WireTicks(longestReplyBytes, settings);
    if (limits.send < request) limits.send = Lengthened(limits.send, request);
    if (limits.reply < reply + limits.gap) limits.reply = Lengthened(limits.reply, reply);
    return limits;
}

}  // namespace devlink
