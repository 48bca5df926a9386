#pragma once
// The serial-port control as the program uses it: properties set before opening,
// open/close, one whole frame out, everything received in, and two notifications.
// Every member may fail (a port that does not exist or is in use, refused settings,
// a closed port); failures are thrown as SerialError so callers decide whether to
// report or skip them.

#include "common/LittleEndian.h"

#include <QString>
#include <functional>
#include <stdexcept>

namespace devlink {

struct SerialError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum CommEvent : int {
    ComEvSend = 1,
    ComEvReceive = 2,
    // The device behind the open port went away (an adapter pulled out); the port has
    // been closed. Raised once per loss.
    ComEvPortLost = 100,
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual void SetCommPort(int16_t port) = 0;
    virtual int16_t CommPort() const = 0;
    virtual void SetSettings(const QString& settings) = 0;  // "57600,n,8,1"
    virtual QString Settings() const = 0;
    virtual void SetInputMode(int mode) = 0;                // 1: binary
    virtual void SetOutBufferSize(int bytes) = 0;
    virtual void SetInBufferSize(int bytes) = 0;
    virtual void SetSThreshold(int bytes) = 0;
    virtual void SetRThreshold(int bytes) = 0;
    virtual void SetInputLen(int bytes) = 0;
    virtual void ClearOutBuffer() = 0;                      // OutBufferCount = 0
    virtual void ClearInBuffer() = 0;                       // InBufferCount = 0

    virtual bool PortOpen() const = 0;
    virtual void SetPortOpen(bool open) = 0;

    virtual void Output(const common::Bytes& frame) = 0;    // sending starts at once
    virtual common::Bytes Input() = 0;                      // everything received so far

    // OnComm: called with ComEvSend once a whole frame has left the line, ComEvReceive
    // for every arrival of bytes, ComEvPortLost when the device is gone.
    std::function<void(int commEvent)> OnComm;
};

}  // namespace devlink
