#pragma once
// One request/reply exchange at a time over the serial-port control: the sending step,
// the reply supervisor that runs once per tick, and the serial-port event handler.

#include "link/Crc16.h"
#include "link/SerialPort.h"

#include <cstdint>

namespace devlink {

// Tick limits of one command, in the order of the command table.
struct Limits {
    int16_t gap;    // GapLimit: silent ticks after which the reply is taken as whole
    int16_t reply;  // ReplyLimit: ticks allowed in phase 2
    int16_t send;   // SendLimit: ticks allowed from writing to the send-done event
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
    int16_t LinkPhase = 0;   // 0 idle, 1 written, 2 receiving, 3 finished (inside CommPoll)
    int16_t ReplyTicks = 0;
    int16_t GapTicks = 0;
    int16_t SendLimit = 0;
    int16_t ReplyLimit = 0;
    int16_t GapLimit = 0;
    int16_t LinkError = LinkPortClosed;
    CrcRegisters Crc;        // CRCLo / CRCHi left by the last Crc16

    // Sends one request: `body` is the frame without its two CRC bytes.
    void SendFrame(const common::Bytes& body, Limits limits);
    // The reply supervisor; once per tick while the port is open.
    void CommPoll();
    // The serial-port event handler (MBMC_OnComm).
    void OnComm(int commEvent);

    SerialPort& Port() { return port_; }

private:
    common::Bytes ReadWholeInput();
    // Judges RxBuf; false when nothing was received yet.
    bool JudgeReply();

    SerialPort& port_;
};

}  // namespace devlink
