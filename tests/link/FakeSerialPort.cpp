#include "FakeSerialPort.h"

#include "common/Crc16.h"

#include <algorithm>

namespace testlink {

common::Bytes WithCrc(common::Bytes body)
{
    const auto crc = common::Crc16(body.data(), body.size(), 0, body.size());
    body.push_back(crc.CRCLo);
    body.push_back(crc.CRCHi);
    return body;
}

common::Bytes Resized(const common::Bytes& reply, size_t length)
{
    common::Bytes body(reply.begin(), reply.end() - static_cast<long>(std::min<size_t>(2, reply.size())));
    body.resize(length - 2, 0x00);
    return WithCrc(body);
}

}  // namespace testlink
