#pragma once
// The serial-port settings text: baud rate, parity letter, data bits and stop bits
// joined by commas, as "57600,n,8,1".

#include <QSerialPort>
#include <QString>
#include <chrono>
#include <cstddef>

namespace devlink {

struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Parity letters n, e, o, m, s (either case); data bits 5 to 8; stop bits 1, 1.5 or 2.
// Blanks around a field are allowed. A malformed text throws SerialError.
LineSettings ParseLineSettings(const QString& text);

// Bits one character takes on the line: a start bit, the data bits, the parity bit if
// any, and the stop bits.
double BitsPerCharacter(const LineSettings& settings);

// How long `bytes` characters take on the line at these settings.
std::chrono::nanoseconds WireTime(size_t bytes, const LineSettings& settings);

}  // namespace devlink
