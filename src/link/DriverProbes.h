#pragma once
// What the operating system tells about an open serial port's handle.

#include <QSerialPort>
#include <cstdint>

namespace devlink {

// What QSerialPort::handle() gives: a file descriptor, or a HANDLE on Windows.
#if defined(Q_OS_WIN)
using PortHandle = void*;
#else
using PortHandle = int;
#endif

// Bytes handed to the driver that have not left the line yet; 0 where the driver does
// not say (a pseudo-terminal, a platform without such a query) or the query fails.
int64_t DriverOutputQueue(PortHandle handle);

// True when the line has hung up: the device behind the handle is gone. Only where the
// platform reports it on the handle; false elsewhere.
bool LineHungUp(PortHandle handle);

}  // namespace devlink
