#pragma once
// One request/reply exchange at a time over the serial-port control: the sending step,
// the reply supervisor that runs once per tick, and the serial-port event handler.

#include "common/Crc16.h"
#include "link/SerialPort.h"

#include <cstdint>

namespace devlink {

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

    // Sends one request: `body` is the frame without its two CRC bytes. After a failed
    // exchange the request is held back until the line has been quiet for the failed
    // command's whole reply window, so that a late reply to an earlier request can never
    // be taken for this one.
    void SendFrame(const common::Bytes& body, Limits limits);
    // The reply supervisor; once per tick while the port is open.
    void CommPoll();
    // The serial-port event handler (MBMC_OnComm).
    void OnComm(int commEvent);

    // The requested operation changed while a request waits for a quiet line: that
    // request never goes out. The next one still waits for the quiet line.
    void DropHeldRequest();
    // The port was closed under the exchange in flight: it ends, and since its reply
    // may still come after the port is opened again, the next request waits for a
    // quiet line as after any failure.
    void Abandon();

    SerialPort& Port() { return port_; }

    // Silent ticks the line needs before the next request goes out; 0 after a good exchange.
    int16_t QuietNeeded() const { return quietNeeded_; }
    // Ticks a held request may wait for the quiet line before it fails unsent.
    int QuietWaitBound() const;
    // Whether the last request sent had to wait for a quiet line first: a failed exchange
    // went before it, so its reply may be a late one to an earlier request.
    bool RequestWasHeld() const { return requestWasHeld_; }
    // Exchanges that have failed (or were cut off by closing the port) since start.
    uint32_t FailedExchanges() const { return failedExchanges_; }

private:
    void Write();
    void AwaitQuietLine();
    void Receive();
    void Finish();
    common::Bytes ReadWholeInput();
    // Judges RxBuf; false when nothing was received yet.
    bool JudgeReply();

    SerialPort& port_;
    int16_t quietNeeded_ = 0;
    bool requestWasHeld_ = false;
    uint32_t failedExchanges_ = 0;
};

// A held request fails unsent once the line has kept receiving for this many of its
// quiet windows (and the send limit) without falling quiet for one whole window.
constexpr int kQuietWaitWindows = 4;

}  // namespace devlink
