#include "link/LineSettings.h"

#include "link/SerialPort.h"

#include <QStringList>
#include <cmath>

namespace devlink {
namespace {

[[noreturn]] void Refuse(const QString& text)
{
    throw SerialError(("Invalid port settings: " + text).toStdString());
}

QSerialPort::Parity ParityOf(const QString& letter, const QString& text)
{
    if (letter.size() == 1) {
        switch (letter.at(0).toLower().toLatin1()) {
        case 'n': return QSerialPort::NoParity;
        case 'e': return QSerialPort::EvenParity;
        case 'o': return QSerialPort::OddParity;
        case 'm': return QSerialPort::MarkParity;
        case 's': return QSerialPort::SpaceParity;
        default: break;
        }
    }
    Refuse(text);
}

QSerialPort::DataBits DataBitsOf(const QString& field, const QString& text)
{
    bool ok = false;
    const int bits = field.toInt(&ok);
    if (!ok || bits < 5 || bits > 8) Refuse(text);
    return static_cast<QSerialPort::DataBits>(bits);
}

QSerialPort::StopBits StopBitsOf(const QString& field, const QString& text)
{
    if (field == QLatin1String("1")) return QSerialPort::OneStop;
    if (field == QLatin1String("1.5")) return QSerialPort::OneAndHalfStop;
    if (field == QLatin1String("2")) return QSerialPort::TwoStop;
    Refuse(text);
}

}  // namespace

LineSettings ParseLineSettings(const QString& text)
{
    QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4) Refuse(text);
    for (QString& field : fields) field = field.trimmed();
    LineSettings settings;
    bool ok = false;
    settings.baudRate = fields[0].toInt(&ok);
    if (!ok || settings.baudRate <= 0) Refuse(text);
    settings.parity = ParityOf(fields[1], text);
    settings.dataBits = DataBitsOf(fields[2], text);
    settings.stopBits = StopBitsOf(fields[3], text);
    return settings;
}

double BitsPerCharacter(const LineSettings& settings)
{
    const double parity = settings.parity == QSerialPort::NoParity ? 0 : 1;
    double stop = 1;
    if (settings.stopBits == QSerialPort::OneAndHalfStop) stop = 1.5;
    if (settings.stopBits == QSerialPort::TwoStop) stop = 2;
    return 1 + static_cast<int>(settings.dataBits) + parity + stop;
}

std::chrono::nanoseconds WireTime(size_t bytes, const LineSettings& settings)
{
    const double seconds = static_cast<double>(bytes) * BitsPerCharacter(settings) / settings.baudRate;
    return std::chrono::nanoseconds(static_cast<int64_t>(std::ceil(seconds * 1e9)));
}

}  // namespace devlink
