#include "link/QtSerialPort.h"

#include "link/DriverProbes.h"
#include "link/PortDeviceMap.h"

#include <cmath>

namespace devlink {
namespace {

// How often the driver's output queue is asked about once the wire time has passed.
constexpr int kQueuePollMs = 1;

}  // namespace

QtSerialPort::QtSerialPort(QString portsFolder, QString deviceFolder)
    : portsFolder_(std::move(portsFolder)), deviceFolder_(std::move(deviceFolder))
{
    settings_ = ParseLineSettings(settingsText_);
    sendDoneTimer_.setSingleShot(true);
    sendDoneTimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sendDoneTimer_, &QTimer::timeout, [this] { CheckSendDone(); });
    QObject::connect(&port_, &QSerialPort::readyRead, [this] { OnReadyRead(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError error) { OnPortError(error); });
}

QtSerialPort::~QtSerialPort()
{
    // No events from a port that is going away.
    QObject::disconnect(&port_, nullptr, nullptr, nullptr);
    QObject::disconnect(&sendDoneTimer_, nullptr, nullptr, nullptr);
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
    // Only bytes still waiting in this object are dropped. Flushing the driver could cut
    // off bytes that are still on their way where its queue cannot be seen (on a
    // pseudo-terminal it even drops what the other end has not read yet).
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
        Close();
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
    lost_ = false;
    sendDone_.Clear();
    port_.clear(QSerialPort::AllDirections);
}

void QtSerialPort::Close()
{
    sendDoneTimer_.stop();
    sendDone_.Clear();
    if (port_.isOpen()) port_.close();
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
    // send-done event follows its last byte on the line.
    const qint64 accepted = port_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
    if (accepted != static_cast<qint64>(frame.size())) throw SerialError(("Write failed: " + port_.errorString()).toStdString());
    sendDone_.Written(SendDoneWatch::Clock::now(), WireTime(frame.size(), settings_));
    ScheduleSendDoneCheck();
}

common::Bytes QtSerialPort::Input()
{
    RequireOpen("Input");
    const QByteArray received = inputLen_ > 0 ? port_.read(inputLen_) : port_.readAll();
    return common::Bytes(received.begin(), received.end());
}

// First when the wire time is up, then every millisecond until the queue is empty.
void QtSerialPort::ScheduleSendDoneCheck()
{
    const auto left = sendDone_.WireTimeLeft(SendDoneWatch::Clock::now());
    const auto leftMs = static_cast<int>(std::ceil(std::chrono::duration<double, std::milli>(left).count()));
    sendDoneTimer_.start(std::max(leftMs, kQueuePollMs));
}

void QtSerialPort::CheckSendDone()
{
    if (!port_.isOpen() || !sendDone_.Pending()) return;
    const int64_t queued = port_.bytesToWrite() + DriverOutputQueue(port_.handle());
    if (!sendDone_.Done(SendDoneWatch::Clock::now(), queued)) {
        ScheduleSendDoneCheck();
        return;
    }
    if (sThreshold_ > 0 && OnComm) OnComm(ComEvSend);
}

void QtSerialPort::OnReadyRead()
{
    if (rThreshold_ > 0 && OnComm) OnComm(ComEvReceive);
}

bool QtSerialPort::DeviceGone(QSerialPort::SerialPortError error) const
{
    if (error == QSerialPort::ResourceError) return true;
    // A read or write that fails because the line hung up: the device is gone too.
    const bool transferFailed = error == QSerialPort::ReadError || error == QSerialPort::WriteError;
    return transferFailed && LineHungUp(port_.handle());
}

// A device that went away is handled once: the port closes at once, which stops every
// further write and poll, and the owner hears of it from the event loop. Other errors
// are left to the call that met them.
void QtSerialPort::OnPortError(QSerialPort::SerialPortError error)
{
    if (lost_ || !port_.isOpen() || !DeviceGone(error)) return;
    lost_ = true;
    Close();
    QMetaObject::invokeMethod(
        &port_, [this] { if (OnComm) OnComm(ComEvPortLost); }, Qt::QueuedConnection);
}

}  // namespace devlink
