#include "FakeSerialPort.h"

#include "common/Crc16.h"

namespace testlink {

common::Bytes WithCrc(common::Bytes body)
{
    const auto crc = common::Crc16(body.data(), body.size(), 0, body.size());
    body.push_back(crc.CRCLo);
    body.push_back(crc.CRCHi);
    return body;
}

}  // namespace testlink
