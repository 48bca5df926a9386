#include "link/Commands.h"

#include <algorithm>

namespace devlink {
namespace {

common::Bytes Start(CommandCode code) { return {kFrameAddr, code}; }

uint8_t CommandOf(const common::Bytes& frame) { return frame.size() > 1 ? frame[1] : 0; }

// 10 + the length field of an F4 request.
size_t ReadReplySize(const common::Bytes& request)
{
    return kReadReplyWithoutData + common::ReadLE<uint16_t>(request, 6).value_or(0);
}

}  // namespace

common::Bytes LinkQueryBody() { return {kFrameAddr, CmdLinkQuery, 0x00}; }

common::Bytes HandshakeBody() { return {kFrameAddr, CmdHandshake, kHandshakeKey}; }

common::Bytes EnterDownloadBody() { return {kFrameAddr, CmdEnterDownload, 0x00}; }

common::Bytes ErasePageBody(uint32_t pageAddr, uint8_t pageNo)
{
    common::Bytes body = Start(CmdErasePage);
    body.push_back(0x00);
    common::AppendLE<uint32_t>(body, pageAddr);
    body.push_back(pageNo);
    return body;
}

common::Bytes WriteChunkBody(uint16_t position, std::span<const uint8_t> chunk)
{
    common::Bytes body = Start(CmdWriteChunk);
    body.reserve(7 + chunk.size());
    body.push_back(0x00);
    common::AppendLE<uint16_t>(body, position);
    common::AppendLE<uint16_t>(body, static_cast<uint16_t>(chunk.size()));
    body.insert(body.end(), chunk.begin(), chunk.end());
    return body;
}

common::Bytes ClosePageBody(bool lastPage, int32_t imageOffset, uint8_t pageNo)
{
    common::Bytes body = Start(CmdClosePage);
    body.push_back(lastPage ? kLastPageFlag : 0x00);
    common::AppendLE<int32_t>(body, imageOffset);
    body.push_back(pageNo);
    return body;
}

common::Bytes EraseSettingsBody() { return {kFrameAddr, CmdEraseSettings, 0x44, 0x33, 0x22, 0x11}; }

common::Bytes ReadMemoryBody(uint32_t address, uint16_t length)
{
    common::Bytes body = Start(CmdReadMemory);
    common::AppendLE<uint32_t>(body, address);
    common::AppendLE<uint16_t>(body, length);
    return body;
}

common::Bytes WriteSettingsBody(uint8_t flag, std::span<const uint8_t> settings)
{
    common::Bytes body = Start(CmdWriteSettings);
    body.reserve(9 + settings.size());
    common::AppendLE<uint32_t>(body, kSettingsRamAddr);
    common::AppendLE<uint16_t>(body, static_cast<uint16_t>(settings.size()));
    body.push_back(flag);
    body.insert(body.end(), settings.begin(), settings.end());
    return body;
}

common::Bytes QueryDisplayBody() { return {kFrameAddr, CmdQueryDisplay, 0x00}; }

size_t LongestReplySize(const common::Bytes& body)
{
    switch (CommandOf(body)) {
    case CmdHandshake: return kHandshakeReplyWithId;
    case CmdReadMemory: return ReadReplySize(body);
    case CmdQueryDisplay: return kQueryDisplayReplySize;
    default: return kStatusReplySize;
    }
}

bool ReplyLengthAllowed(const common::Bytes& request, const common::Bytes& reply)
{
    const size_t n = reply.size();
    const uint8_t status = n > kReplyStatus ? reply[kReplyStatus] : 0;
    switch (CommandOf(request)) {
    case CmdHandshake: return n == (status != 0 ? kHandshakeReplyWithId : kStatusReplySize);
    case CmdReadMemory:
        return n == ReadReplySize(request) || (status != 0 && (n == kStatusReplySize || n == kReadReplyWithoutData));
    case CmdQueryDisplay: return n == kQueryDisplayReplySize;
    default: return n == kStatusReplySize;
    }
}

bool ReadReplyCarries(const common::Bytes& reply, size_t count) { return reply.size() == kReadReplyWithoutData + count; }

bool ReadReplyHolds(const common::Bytes& reply, std::span<const uint8_t> expected)
{
    if (reply.size() < kReplyDataOffset + expected.size() + 2) return false;
    return std::equal(expected.begin(), expected.end(), reply.begin() + static_cast<long>(kReplyDataOffset));
}

}  // namespace devlink
