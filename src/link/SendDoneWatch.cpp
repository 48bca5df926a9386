#include "link/SendDoneWatch.h"

#include <algorithm>

namespace devlink {

void SendDoneWatch::Written(Clock::time_point now, std::chrono::nanoseconds wireTime)
{
    const Clock::time_point start = lineFreeAt_ ? std::max(*lineFreeAt_, now) : now;
    lineFreeAt_ = start + wireTime;
}

std::chrono::nanoseconds SendDoneWatch::WireTimeLeft(Clock::time_point now) const
{
    if (!lineFreeAt_ || *lineFreeAt_ <= now) return std::chrono::nanoseconds(0);
    return *lineFreeAt_ - now;
}

bool SendDoneWatch::Done(Clock::time_point now, int64_t bytesQueued)
{
    if (!lineFreeAt_ || now < *lineFreeAt_ || bytesQueued > 0) return false;
    lineFreeAt_.reset();
    return true;
}

}  // namespace devlink
