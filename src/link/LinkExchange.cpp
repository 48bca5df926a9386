#include "link/LinkExchange.h"

namespace devlink {
namespace {

constexpr int16_t kPhaseIdle = 0;
constexpr int16_t kPhaseWritten = 1;
constexpr int16_t kPhaseReceiving = 2;
constexpr int16_t kPhaseFinished = 3;

}  // namespace

void LinkExchange::SendFrame(const common::Bytes& body, Limits limits)
{
    const size_t n = body.size() + 2;
    TxBuf.assign(body.begin(), body.end());
    TxBuf.resize(n);
    Crc = Crc16(TxBuf.data(), TxBuf.size(), 0, n - 2);
    TxBuf[n - 2] = Crc.CRCLo;
    TxBuf[n - 1] = Crc.CRCHi;
    GapLimit = limits.gap;
    ReplyLimit = limits.reply;
    SendLimit = limits.send;
    ReplyTicks = 0;
    LinkError = LinkOk;
    LinkPhase = kPhaseWritten;
    try {
        port_.Output(TxBuf);
    } catch (const SerialError&) {
        // Nothing went out: no send-done will come, so the exchange ends by its send limit.
    }
}

common::Bytes LinkExchange::ReadWholeInput()
{
    common::Bytes received;
    try {
        received = port_.Input();
        port_.ClearInBuffer();
    } catch (const SerialError&) {
        // A failing read counts as nothing received.
    }
    return received;
}

bool LinkExchange::JudgeReply()
{
    const size_t n = RxBuf.size();
    if (n == 0) return false;
    if (n < 4) {
        LinkError = LinkReplyTooShort;
    } else {
        Crc = Crc16(RxBuf.data(), n, 0, n - 2);
        if (RxBuf[n - 2] != Crc.CRCLo || RxBuf[n - 1] != Crc.CRCHi)
            LinkError = LinkCrcMismatch;
        else if (TxBuf.size() < 2 || RxBuf[1] != TxBuf[1])
            LinkError = LinkNoEcho;
    }
    LinkPhase = kPhaseFinished;
    return true;
}

void LinkExchange::CommPoll()
{
    switch (LinkPhase) {
    case kPhaseIdle:
        ReplyTicks = 0;
        GapTicks = 0;
        break;
    case kPhaseWritten:
        ++ReplyTicks;
        if (ReplyTicks >= SendLimit) {
            LinkError = LinkSendTimeout;
            LinkPhase = kPhaseFinished;
        }
        break;
    case kPhaseReceiving: {
        bool judged = false;
        ++GapTicks;
        if (GapTicks >= GapLimit) {
            GapTicks = 0;
            RxBuf = ReadWholeInput();
            judged = JudgeReply();
        }
        if (!judged) {
            ++ReplyTicks;
            if (ReplyTicks >= ReplyLimit) {
                LinkError = LinkReplyTimeout;
                LinkPhase = kPhaseFinished;
            }
        }
        break;
    }
    default:
        break;
    }
    if (LinkPhase == kPhaseFinished) {
        LinkPhase = kPhaseIdle;
        ReplyTicks = 0;
        GapTicks = 0;
    }
}

void LinkExchange::OnComm(int commEvent)
{
    if (commEvent == ComEvReceive) {
        GapTicks = 0;
    } else if (commEvent == ComEvSend && LinkPhase == kPhaseWritten) {
        LinkPhase = kPhaseReceiving;
        ReplyTicks = 0;
        try {
            port_.ClearOutBuffer();
        } catch (const SerialError&) {
        }
    }
}

}  // namespace devlink
