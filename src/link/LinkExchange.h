#pragma once
// One request/reply exchange at a time over the serial-port control: the sending step,
// the reply supervisor that runs once per tick, and the serial-port event handler.

#include "common/Crc16.h"
#include "link/SerialPort.h"

#include <cstdint>

namespace devlink {

// Every tick limit was calibrated on a timer that delivered about 15.6 ms per tick.
constexpr int kTickIntervalMs = 16;

// Tick limits of one command, in the order of the command table.
struct Limits {
    int16_t gap;    // GapLimit: silent ticks after which the reply is taken as whole
    int16_t reply;  // ReplyLimit: ticks allowed in phase 2
    int16_t send;   // SendLimit: ticks allowed from writing to the send-done event
};

// LinkPhase values.
enum LinkPhaseValue : int16_t {
    PhaseIdle = 0,
    PhaseWritten = 1,     // request written, waiting for the send-done event
    PhaseReceiving = 2,
    PhaseFinished = 3,    // only inside one CommPoll pass
    PhaseQuietWait = 4,   // request held back until the line is quiet after a failure
};

// LinkError values.
enum LinkErrorCode : int16_t {
    LinkOk = 0,
    LinkSendTimeout = 1,
    LinkReplyTimeout = 2,
    LinkReplyTooShort = 3,
    LinkCrcMismatch = 4,
    LinkNoEcho = 5,
    // A sound frame (CRC and echo right) of a length its command never has: it answers
    // something else, or carries less or more than was asked.
    LinkWrongLength = 6,
    LinkPortClosed = -1,
};

class LinkExchange {
public:
    explicit LinkExchange(SerialPort& port) : port_(port) {}

    common::Bytes TxBuf;
    common::Bytes RxBuf;
    int16_t LinkPhase = PhaseIdle;
    int16_t ReplyTicks = 0;
    int16_t GapTicks = 0;
    int16_t SendLimit = 0;
    int16_t ReplyLimit = 0;
    int16_t GapLimit = 0;
    int16_t LinkError = LinkPortClosed;
    common::CrcRegisters Crc;        // CRCLo / CRCHi left by the last Crc16

    // Sends one request: `body` is the frame without its two CRC bytes. At a slow rate
    // the limits are lengthened where they cannot hold the time on the line. After a
    // failed exchange the request is held back until the line has been quiet for the
    // failed command's whole reply window, counted from the last byte received or the
    // end of that exchange, so that a late reply to an earlier request that comes within
    // that window is thrown away, not taken for this one's.
    void SendFrame(const common::Bytes& body, Limits limits);
    // The reply supervisor; once per tick while the port is open.
    void CommPoll();
    // The serial-port event handler (MBMC_OnComm).
    void OnComm(int commEvent);

    // Drops a request that waits for a quiet line: it never goes out, and its exchange
    // ends as not sent (LinkError 1). The next request still waits for the quiet line.
    // False when no request was held.
    bool DropHeldRequest();
    // The port was closed under the exchange in flight: it ends, and since its reply
    // may still come after the port is opened again, the next request waits for a
    // quiet line as after any failure.
    void Abandon();

    SerialPort& Port() { return port_; }

    // Silent ticks the line needs before the next request goes out; 0 after a good exchange.
    int16_t QuietNeeded() const { return quietNeeded_; }
    // Ticks a held request may wait for the quiet line before it fails unsent.
    int QuietWaitBound() const;
    // Whether the last request sent came after a failed exchange, whose reply may still
    // have come late and been taken for this request's own. Such a request waited for a
    // quiet line, or found one at once.
    bool FollowsAFailure() const { return followsFailure_; }
    // Whether the failed exchange before the last request was of the same command: only
    // then could a late reply to it pass for this request's own (the echoed command
    // tells the others apart).
    bool RequestMayTakeALateReply() const { return followsFailure_ && failedCommand_ == TxBuf.at(1); }
    // Exchanges that have failed (or were cut off by closing the port) since start.
    uint32_t FailedExchanges() const { return failedExchanges_; }

private:
    void Write();
    // The held request goes out; what arrived meanwhile answers earlier requests.
    void WriteAfterQuietLine();
    bool LineQuietLongEnough() const { return silentTicks_ >= quietNeeded_; }
    void AwaitQuietLine();
    void NoteFailure(int16_t replyWindow);
    void Receive();
    void Finish();
    common::Bytes ReadWholeInput();
    // Judges RxBuf; false when nothing was received yet.
    bool JudgeReply();

    SerialPort& port_;
    int16_t quietNeeded_ = 0;
    int16_t silentTicks_ = 0;       // ticks since the last byte received or the last failure
    uint8_t writtenCommand_ = 0;    // command of the last request that went out
    uint8_t failedCommand_ = 0;     // command of the last failed exchange
    bool followsFailure_ = false;
    uint32_t failedExchanges_ = 0;
};

// A held request fails unsent once the line has kept receiving for this many of its
// quiet windows (and the send limit) without falling quiet for one whole window.
constexpr int kQuietWaitWindows = 4;

}  // namespace devlink
