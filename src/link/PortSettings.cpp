#include "link/PortSettings.h"

#include "common/Numbers.h"

namespace devlink {

QString ParityLetter(const QString& parityText)
{
    if (parityText == QLatin1String("None")) return QStringLiteral("n");
    if (parityText == QLatin1String("Odd")) return QStringLiteral("o");
    if (parityText == QLatin1String("Even")) return QStringLiteral("e");
    return {};
}

QString SettingsString(const QString& baud, const QString& parity, const QString& dataBits,
                       const QString& stopBits)
{
    QString settings = baud + QLatin1Char(',');
    const QString letter = ParityLetter(parity);
    if (!letter.isEmpty()) settings += letter + QLatin1Char(',');
    return settings + dataBits + QLatin1Char(',') + stopBits;
}

std::optional<int16_t> PortNumberFromText(const QString& portText)
{
    const QString rest = portText.mid(3);
    if (!common::IsNumeric(rest)) return std::nullopt;
    return common::ToInteger(common::ReadNumber(rest));
}

void ApplyOpenProperties(SerialPort& port, int16_t portNumber, const QString& settings)
{
    port.SetCommPort(portNumber);
    port.SetSettings(settings);
    port.SetInputMode(1);
    port.SetOutBufferSize(512);
    port.ClearOutBuffer();
    port.SetSThreshold(1);
    port.ClearInBuffer();
    port.SetInputLen(0);
    port.SetInBufferSize(1024);
    port.SetRThreshold(1);
}

QStringList DetectOpenablePorts(SerialPort& port, int first, int last)
{
    QStringList found;
    for (int number = first; number <= last; ++number) {
        try {
            port.SetCommPort(static_cast<int16_t>(number));
            port.SetPortOpen(true);
            if (port.PortOpen()) {
                found << QStringLiteral("COM%1").arg(number);
                port.SetPortOpen(false);
            }
        } catch (const SerialError&) {
            // Missing, busy or refusing ports are simply not listed.
        }
    }
    return found;
}

}  // namespace devlink
