#pragma once
// Which device a port number "COMn" stands for.
//
// On Windows it is COMn itself. Elsewhere:
//   1. a link or file named "COMn" in the ports folder (tests and demos point a number
//      at a pseudo-terminal this way); a dangling link names no device;
//   2. otherwise the n-th serial device of the device folder, USB adapters first:
//      ttyUSB*, then ttyACM*, then ttyS*, each group in numeric order.
// An empty text when the number names no device.

#include <QString>
#include <QStringList>

namespace devlink {

QString PortDevicePath(int port, const QString& portsFolder, const QString& deviceFolder = QStringLiteral("/dev"));

// The serial devices of a folder in the order that numbers them (COM1 first).
QStringList NumberedSerialDevices(const QString& deviceFolder);

}  // namespace devlink
