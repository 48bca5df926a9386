#include "FakeSerialPort.h"

#include "link/Crc16.h"

namespace testlink {

common::Bytes WithCrc(common::Bytes body)
{
    const auto crc = devlink::Crc16(body.data(), body.size(), 0, body.size());
    body.push_back(crc.CRCLo);
    body.push_back(crc.CRCHi);
    return body;
}

}  // namespace testlink
