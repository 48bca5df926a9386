#pragma once
// The port boxes' texts turned into what the serial-port control takes: the settings
// string, the port number, the properties set before opening, and the scan for ports
// that can be opened.

#include "link/SerialPort.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace devlink {

// "n", "o" or "e" for exactly "None", "Odd" or "Even"; "" for any other text.
QString ParityLetter(const QString& parityText);

// Baud rate, parity letter, data bits and stop bits joined by ",". An unknown parity
// text adds nothing, its "," included, so the control refuses the string.
QString SettingsString(const QString& baud, const QString& parity, const QString& dataBits,
                       const QString& stopBits);

// The number after the first three characters of a port text ("COM12" gives 12);
// nullopt when that rest is empty, not a number, or outside a 16-bit integer.
std::optional<int16_t> PortNumberFromText(const QString& portText);

// Sets the control's properties in the order the open sequence needs; throws
// SerialError when the control refuses one.
void ApplyOpenProperties(SerialPort& port, int16_t portNumber, const QString& settings);

// Ports `first` to `last` that can be opened, as "COMn"; each is closed again at once.
// A port that fails to open, or to close, is skipped. The port is left closed.
QStringList DetectOpenablePorts(SerialPort& port, int first = 1, int last = 20);

}  // namespace devlink
