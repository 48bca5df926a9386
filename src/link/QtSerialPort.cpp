#include "link/QtSerialPort.h"

#include "link/PortDeviceMap.h"

namespace devlink {

QtSerialPort::QtSerialPort(QString portsFolder, QString deviceFolder)
    : portsFolder_(std::move(portsFolder)), deviceFolder_(std::move(deviceFolder))
{
    settings_ = ParseLineSettings(settingsText_);
    QObject::connect(&port_, &QSerialPort::bytesWritten, [this](qint64 bytes) { OnBytesWritten(bytes); });
    QObject::connect(&port_, &QSerialPort::readyRead, [this] { OnReadyRead(); });
}

QtSerialPort::~QtSerialPort()
{
    // No events from a port that is going away.
    QObject::disconnect(&port_, nullptr, nullptr, nullptr);
    if (port_.isOpen()) port_.close();
}

void QtSerialPort::RequireOpen(const char* what) const
{
    if (!port_.isOpen()) throw SerialError(std::string(what) + ": port is not open");
}

void QtSerialPort::SetCommPort(int16_t port)
{
    if (port_.isOpen()) throw SerialError("Port already open");
    if (port < 1) throw SerialError("Invalid port number");
    commPort_ = port;
}

void QtSerialPort::SetSettings(const QString& settings)
{
    settings_ = ParseLineSettings(settings);
    settingsText_ = settings;
    if (port_.isOpen()) ApplyLineSettings();
}

void QtSerialPort::SetOutBufferSize(int bytes)
{
    if (port_.isOpen()) throw SerialError("Port already open");
    outBufferSize_ = bytes;
}

void QtSerialPort::SetInBufferSize(int bytes)
{
    if (port_.isOpen()) throw SerialError("Port already open");
    inBufferSize_ = bytes;
}

void QtSerialPort::ClearOutBuffer()
{
    // Only bytes still waiting in this object are dropped. Bytes already handed to the
    // driver are on their way: send-done follows that hand-over, not the last bit on
    // the line, and flushing the driver then would cut the request short.
    unsentBytes_ = 0;
    if (port_.isOpen() && port_.bytesToWrite() > 0) port_.clear(QSerialPort::Output);
}

void QtSerialPort::ClearInBuffer()
{
    if (!port_.isOpen()) return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

QString QtSerialPort::DevicePath() const { return PortDevicePath(commPort_, portsFolder_, deviceFolder_); }

void QtSerialPort::SetPortOpen(bool open)
{
    if (!open) {
        if (port_.isOpen()) port_.close();
        unsentBytes_ = 0;
        return;
    }
    if (port_.isOpen()) throw SerialError("Port already open");
    Open();
}

void QtSerialPort::Open()
{
    const QString device = DevicePath();
    if (device.isEmpty()) throw SerialError(QStringLiteral("No device for COM%1").arg(commPort_).toStdString());
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) {
        const QString reason = port_.errorString();
        throw SerialError(QStringLiteral("Cannot open %1: %2").arg(device, reason).toStdString());
    }
    try {
        ApplyLineSettings();
    } catch (const SerialError&) {
        port_.close();
        throw;
    }
    unsentBytes_ = 0;
    port_.clear(QSerialPort::AllDirections);
}

void QtSerialPort::ApplyLineSettings()
{
    const bool applied = port_.setBaudRate(settings_.baudRate) && port_.setParity(settings_.parity) &&
                         port_.setDataBits(settings_.dataBits) && port_.setStopBits(settings_.stopBits) &&
                         port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) throw SerialError(("Settings refused: " + port_.errorString()).toStdString());
}

void QtSerialPort::Output(const common::Bytes& frame)
{
    RequireOpen("Output");
    // The request goes out whole even when it is longer than the out buffer; the
    // send-done event follows its last byte.
    const qint64 accepted = port_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
    if (accepted != static_cast<qint64>(frame.size())) throw SerialError(("Write failed: " + port_.errorString()).toStdString());
    unsentBytes_ += accepted;
}

common::Bytes QtSerialPort::Input()
{
    RequireOpen("Input");
    const QByteArray received = inputLen_ > 0 ? port_.read(inputLen_) : port_.readAll();
    return common::Bytes(received.begin(), received.end());
}

void QtSerialPort::OnBytesWritten(qint64 bytes)
{
    if (unsentBytes_ <= 0) return;
    unsentBytes_ -= bytes;
    if (unsentBytes_ > 0) return;
    unsentBytes_ = 0;
    if (sThreshold_ > 0 && OnComm) OnComm(ComEvSend);
}

void QtSerialPort::OnReadyRead()
{
    if (rThreshold_ > 0 && OnComm) OnComm(ComEvReceive);
}

}  // namespace devlink
