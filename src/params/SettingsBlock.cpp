#include "params/SettingsBlock.h"

#include "common/Crc16.h"

#include <optional>

namespace params {
namespace {

constexpr int kHeaderSize = 32;
constexpr int kPayloadLenAt = 20;
constexpr int kCrcHighAt = 28;
constexpr int kCrcLowAt = 29;
constexpr int kSpareAt = 30;

// The payload length when the header's length field matches DataLen and the block
// really holds DataLen bytes; nullopt otherwise.
std::optional<int32_t> ValidPayloadLength(const common::Bytes& block, const ProtoInfoRecord& info)
{
    const int dataLen = info.DataLen;
    if (dataLen <= kHeaderSize || block.size() < static_cast<size_t>(dataLen)) return std::nullopt;
    const auto payloadLen = common::ReadLE<int32_t>(block, kPayloadLenAt);
    if (!payloadLen || *payloadLen != dataLen - kHeaderSize || *payloadLen < 1) return std::nullopt;
    return payloadLen;
}

common::CrcRegisters PayloadCrc(const common::Bytes& block, int32_t payloadLen)
{
    return common::Crc16(block.data(), block.size(), kHeaderSize, static_cast<size_t>(payloadLen));
}

}  // namespace

int CheckBlockCrc(const common::Bytes& block, const ProtoInfoRecord& info)
{
    const auto payloadLen = ValidPayloadLength(block, info);
    if (!payloadLen) return 1;
    const common::CrcRegisters crc = PayloadCrc(block, *payloadLen);
    const bool intact = block[kCrcHighAt] == crc.CRCLo && block[kCrcLowAt] == crc.CRCHi;
    return intact ? 0 : 1;
}

int StampBlockCrc(common::Bytes& block, const ProtoInfoRecord& info)
{
    const auto payloadLen = ValidPayloadLength(block, info);
    if (!payloadLen) return 1;
    const common::CrcRegisters crc = PayloadCrc(block, *payloadLen);
    block[kCrcHighAt] = crc.CRCLo;
    block[kCrcLowAt] = crc.CRCHi;
    block[kSpareAt] = 0;
    block[kSpareAt + 1] = 0;
    return 0;
}

}  // namespace params
