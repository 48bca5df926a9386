#pragma once
// The tick limits of the command table hold the time a request and its replies take on
// the line at 9600 baud and above. At a slower rate a request may take longer to go out
// than its send limit, or the longest reply its command can bring, followed by the
// silence that ends it, longer than its reply limit: only such a limit is lengthened,
// by that time on the wire.

#include "link/LineSettings.h"
#include "link/LinkExchange.h"

#include <QString>
#include <cstddef>

namespace devlink {

// Ticks that `bytes` characters take on the line, rounded up.
int16_t WireTicks(size_t bytes, const LineSettings& settings);

// `limits` with SendLimit lengthened by the request's ticks on the wire where it is
// shorter than them, and ReplyLimit by the longest reply's where it is shorter than
// them and GapLimit together. A settings text that cannot be read leaves the limits as
// they are.
Limits WithWireTime(Limits limits, size_t requestBytes, size_t longestReplyBytes, const QString& settingsText);

}  // namespace devlink
