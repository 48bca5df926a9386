#include "FrameAssembler.h"

#include "link/Commands.h"
#include "common/Crc16.h"

namespace devsim {

using namespace devlink;

void FrameAssembler::Append(const uint8_t* data, size_t size) { buffer_.insert(buffer_.end(), data, data + size); }

long FrameAssembler::ExpectedLength() const
{
    if (buffer_.empty()) return 0;
    if (buffer_[0] != kFrameAddr) return -1;
    if (buffer_.size() < 2) return 0;
    switch (buffer_[1]) {
    case CmdLinkQuery:
    case CmdHandshake:
    case CmdEnterDownload:
    case CmdQueryDisplay: return 5;
    case CmdErasePage:
    case CmdClosePage:
    case CmdReadMemory: return 10;
    case CmdEraseSettings: return 8;
    case CmdWriteChunk: {
        const auto length = common::ReadLE<uint16_t>(buffer_, 5);
        return length ? static_cast<long>(*length) + 9 : 0;
    }
    case CmdWriteSettings: {
        const auto length = common::ReadLE<uint16_t>(buffer_, 6);
        return length ? static_cast<long>(*length) + 11 : 0;
    }
    default: return -1;
    }
}

std::optional<common::Bytes> FrameAssembler::Next()
{
    for (;;) {
        const long length = ExpectedLength();
        if (length < 0) {
            buffer_.erase(buffer_.begin());
            continue;
        }
        if (length == 0 || buffer_.size() < static_cast<size_t>(length)) return std::nullopt;
        common::Bytes frame(buffer_.begin(), buffer_.begin() + length);
        buffer_.erase(buffer_.begin(), buffer_.begin() + length);
        const size_t n = frame.size();
        const common::CrcRegisters crc = common::Crc16(frame.data(), n, 0, n - 2);
        if (frame[n - 2] == crc.CRCLo && frame[n - 1] == crc.CRCHi) return frame;
        ++dropped_;
    }
}

}  // namespace devsim
