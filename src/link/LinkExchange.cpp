#include "link/LinkExchange.h"

#include "link/Commands.h"
#include "link/WireLimits.h"

#include <algorithm>
#include <limits>

namespace devlink {

void LinkExchange::SendFrame(const common::Bytes& body, Limits limits)
{
    const size_t n = body.size() + 2;
    TxBuf.assign(body.begin(), body.end());
    TxBuf.resize(n);
    Crc = common::Crc16(TxBuf.data(), TxBuf.size(), 0, n - 2);
    TxBuf[n - 2] = Crc.CRCLo;
    TxBuf[n - 1] = Crc.CRCHi;
    const Limits onLine = WithWireTime(limits, n, LongestReplySize(body), port_.Settings());
    GapLimit = onLine.gap;
    ReplyLimit = onLine.reply;
    SendLimit = onLine.send;
    ReplyTicks = 0;
    LinkError = LinkOk;
    followsFailure_ = quietNeeded_ > 0;
    if (!followsFailure_) {
        Write();
    } else if (LineQuietLongEnough()) {
        WriteAfterQuietLine();
    } else {
        GapTicks = 0;
        LinkPhase = PhaseQuietWait;
    }
}

void LinkExchange::Write()
{
    writtenCommand_ = TxBuf.size() > 1 ? TxBuf[1] : 0;
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
        else if (!ReplyLengthAllowed(TxBuf, RxBuf))
            LinkError = LinkWrongLength;
    }
    LinkPhase = PhaseFinished;
    return true;
}

int LinkExchange::QuietWaitBound() const { return kQuietWaitWindows * quietNeeded_ + SendLimit; }

void LinkExchange::WriteAfterQuietLine()
{
    ReadWholeInput();
    quietNeeded_ = 0;
    GapTicks = 0;
    Write();
}

// Whatever arrives now answers an earlier request and is thrown away; every arrival
// restarts the silence count, however many came before. Only a line that keeps
// receiving fails the held request, as not sent, once the wait reaches its bound.
void LinkExchange::AwaitQuietLine()
{
    ReadWholeInput();
    ++ReplyTicks;
    if (LineQuietLongEnough()) {
        WriteAfterQuietLine();
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
    if (LinkError != LinkOk) NoteFailure(ReplyLimit);
    LinkPhase = PhaseIdle;
    ReplyTicks = 0;
    GapTicks = 0;
}

void LinkExchange::NoteFailure(int16_t replyWindow)
{
    quietNeeded_ = std::max(quietNeeded_, replyWindow);
    silentTicks_ = 0;
    failedCommand_ = writtenCommand_;
    ++failedExchanges_;
}

bool LinkExchange::DropHeldRequest()
{
    if (LinkPhase != PhaseQuietWait) return false;
    LinkError = LinkSendTimeout;
    LinkPhase = PhaseIdle;
    ReplyTicks = 0;
    GapTicks = 0;
    return true;
}

void LinkExchange::Abandon()
{
    if (LinkPhase == PhaseWritten || LinkPhase == PhaseReceiving) NoteFailure(ReplyLimit);
    LinkPhase = PhaseIdle;
    ReplyTicks = 0;
    GapTicks = 0;
}

void LinkExchange::CommPoll()
{
    if (silentTicks_ < std::numeric_limits<int16_t>::max()) ++silentTicks_;
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
        silentTicks_ = 0;
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
