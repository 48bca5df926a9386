#pragma once
// The serial-port control over QSerialPort. The port number is mapped to a device by
// PortDevicePath; the settings text is checked when it is put. Events: send-done once
// the last byte of a request has left the line (SendDoneWatch), data-received for every
// arrival of bytes (nothing is read then), and port-lost when the device goes away, after
// the port has closed itself. The buffer sizes are kept as given: a request is written
// whole whatever its length, and nothing that arrives is dropped for want of room.

#include "link/LineSettings.h"
#include "link/SendDoneWatch.h"
#include "link/SerialPort.h"

#include <QSerialPort>
#include <QTimer>

namespace devlink {

class QtSerialPort : public SerialPort {
public:
    explicit QtSerialPort(QString portsFolder, QString deviceFolder = QStringLiteral("/dev"));
    ~QtSerialPort() override;

    void SetCommPort(int16_t port) override;
    int16_t CommPort() const override { return commPort_; }
    void SetSettings(const QString& settings) override;
    QString Settings() const override { return settingsText_; }
    void SetInputMode(int mode) override { inputMode_ = mode; }
    void SetOutBufferSize(int bytes) override;
    void SetInBufferSize(int bytes) override;
    void SetSThreshold(int bytes) override { sThreshold_ = bytes; }
    void SetRThreshold(int bytes) override { rThreshold_ = bytes; }
    void SetInputLen(int bytes) override { inputLen_ = bytes; }
    void ClearOutBuffer() override;
    void ClearInBuffer() override;

    bool PortOpen() const override { return port_.isOpen(); }
    void SetPortOpen(bool open) override;

    void Output(const common::Bytes& frame) override;
    common::Bytes Input() override;

    // The device the current port number stands for ("" when none).
    QString DevicePath() const;
    int OutBufferSize() const { return outBufferSize_; }
    int InBufferSize() const { return inBufferSize_; }
    int InputMode() const { return inputMode_; }

private:
    void Open();
    void Close();
    void ApplyLineSettings();
    void ScheduleSendDoneCheck();
    void CheckSendDone();
    void OnReadyRead();
    void OnPortError(QSerialPort::SerialPortError error);
    bool DeviceGone(QSerialPort::SerialPortError error) const;
    void RequireOpen(const char* what) const;

    QSerialPort port_;
    QTimer sendDoneTimer_;
    SendDoneWatch sendDone_;
    QString portsFolder_;
    QString deviceFolder_;
    int16_t commPort_ = 1;
    QString settingsText_ = QStringLiteral("9600,n,8,1");
    LineSettings settings_;
    int inputMode_ = 0;
    int outBufferSize_ = 512;
    int inBufferSize_ = 1024;
    int sThreshold_ = 0;
    int rThreshold_ = 0;
    int inputLen_ = 0;
    bool lost_ = false;  // the device went away while open; reset by the next open
};

}  // namespace devlink
