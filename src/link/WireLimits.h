#pragma once
// The tick limits of the command table fit the faster rates of the baud box. At a slow
// rate a request, or the longest reply its command can bring, takes longer on the line
// than those limits allow, so the time on the wire is added to them.

#include "link/LineSettings.h"
#include "link/LinkExchange.h"

#include <QString>
#include <cstddef>

namespace devlink {

// Ticks that `bytes` characters take on the line, rounded up.
int16_t WireTicks(size_t bytes, const LineSettings& settings);

// `limits` with SendLimit lengthened by the request's time on the wire and ReplyLimit by
// the longest reply's. A settings text that cannot be read leaves the limits as they are.
Limits WithWireTime(Limits limits, size_t requestBytes, size_t longestReplyBytes, const QString& settingsText);

}  // namespace devlink
