#include "link/LinkExchange.h"

#include <algorithm>

namespace devlink {

void LinkExchange::SendFrame(const common::Bytes& body, Limits limits)
{
    const size_t n = body.size() + 2;
    TxBuf.assign(body.begin(), body.end());
    TxBuf.resize(n);
    Crc = common::Crc16(TxBuf.data(), TxBuf.size(), 0, n - 2);
    TxBuf[n - 2] = Crc.CRCLo;
    TxBuf[n - 1] = Crc.CRCHi;
    GapLimit = limits.gap;
    ReplyLimit = limits.reply;
    SendLimit = limits.send;
    ReplyTicks = 0;
    LinkError = LinkOk;
    requestWasHeld_ = quietNeeded_ > 0;
    if (requestWasHeld_) {
        GapTicks = 0;
        LinkPhase = PhaseQuietWait;
        return;
    }
    Write();
}

void LinkExchange::Write()
{
    ReplyTicks = 0;
    LinkPhase = PhaseWritten;
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
        Crc = common::Crc16(RxBuf.data(), n, 0, n - 2);
        if (RxBuf[n - 2] != Crc.CRCLo || RxBuf[n - 1] != Crc.CRCHi)
            LinkError = LinkCrcMismatch;
        else if (TxBuf.size() < 2 || RxBuf[1] != TxBuf[1])
            LinkError = LinkNoEcho;
    }
    LinkPhase = PhaseFinished;
    return true;
}

int LinkExchange::QuietWaitBound() const { return kQuietWaitWindows * quietNeeded_ + SendLimit; }

// Whatever arrives now answers an earlier request and is thrown away; every arrival
// restarts the silence count, however many came before. Only a line that keeps
// receiving fails the held request, as not sent, once the wait reaches its bound.
void LinkExchange::AwaitQuietLine()
{
    ReadWholeInput();
    ++GapTicks;
    ++ReplyTicks;
    if (GapTicks >= quietNeeded_) {
        quietNeeded_ = 0;
        GapTicks = 0;
        Write();
    } else if (ReplyTicks >= QuietWaitBound()) {
        LinkError = LinkSendTimeout;
        LinkPhase = PhaseFinished;
    }
}

void LinkExchange::Receive()
{
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
            LinkPhase = PhaseFinished;
        }
    }
}

// A failed exchange may still be answered later: the next request waits for a quiet
// line as long as this one's reply window.
void LinkExchange::Finish()
{
    if (LinkError != LinkOk) {
        quietNeeded_ = ReplyLimit;
        ++failedExchanges_;
    }
    LinkPhase = PhaseIdle;
    ReplyTicks = 0;
    GapTicks = 0;
}

void LinkExchange::DropHeldRequest()
{
    if (LinkPhase != PhaseQuietWait) return;
    LinkPhase = PhaseIdle;
    ReplyTicks = 0;
    GapTicks = 0;
}

void LinkExchange::Abandon()
{
    if (LinkPhase == PhaseWritten || LinkPhase == PhaseReceiving) {
        quietNeeded_ = std::max(quietNeeded_, ReplyLimit);
        ++failedExchanges_;
    }
    LinkPhase = PhaseIdle;
    ReplyTicks = 0;
    GapTicks = 0;
}

void LinkExchange::CommPoll()
{
    switch (LinkPhase) {
    case PhaseIdle:
        ReplyTicks = 0;
        GapTicks = 0;
        break;
    case PhaseWritten:
        ++ReplyTicks;
        if (ReplyTicks >= SendLimit) {
            LinkError = LinkSendTimeout;
            LinkPhase = PhaseFinished;
        }
        break;
    case PhaseReceiving: Receive(); break;
    case PhaseQuietWait: AwaitQuietLine(); break;
    default: break;
    }
    if (LinkPhase == PhaseFinished) Finish();
}

void LinkExchange::OnComm(int commEvent)
{
    if (commEvent == ComEvReceive) {
        GapTicks = 0;
    } else if (commEvent == ComEvSend && LinkPhase == PhaseWritten) {
        LinkPhase = PhaseReceiving;
        ReplyTicks = 0;
        try {
            port_.ClearOutBuffer();
        } catch (const SerialError&) {
        }
    }
}

}  // namespace devlink
