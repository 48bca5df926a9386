#pragma once
// An in-memory serial port: records what is written, hands out what a test delivers,
// and raises the send-done and data-received notifications when the test says so.

#include "link/SerialPort.h"

#include <vector>

namespace testlink {

class FakeSerialPort : public devlink::SerialPort {
public:
    std::vector<common::Bytes> written;  // every frame passed to Output
    common::Bytes pending;               // received, not yet read
    bool open = true;
    bool sendDoneOnOutput = false;       // raise send-done from within Output
    bool failInput = false;
    bool failOutput = false;
    int inputReads = 0;
    // When set, answers each written frame at once (after its send-done); an empty
    // answer sends nothing back.
    std::function<common::Bytes(const common::Bytes& frame)> responder;

    void SetCommPort(int16_t port) override { port_ = port; }
    int16_t CommPort() const override { return port_; }
    void SetSettings(const QString& settings) override { settings_ = settings; }
    QString Settings() const override { return settings_; }
    void SetInputMode(int) override {}
    void SetOutBufferSize(int) override {}
    void SetInBufferSize(int) override {}
    void SetSThreshold(int) override {}
    void SetRThreshold(int) override {}
    void SetInputLen(int) override {}
    void ClearOutBuffer() override {}
    void ClearInBuffer() override { pending.clear(); }
    bool PortOpen() const override { return open; }
    void SetPortOpen(bool value) override { open = value; }

    void Output(const common::Bytes& frame) override
    {
        if (failOutput) throw devlink::SerialError("write failed");
        written.push_back(frame);
        if (sendDoneOnOutput) SendDone();
        if (responder) {
            const common::Bytes answer = responder(frame);
            if (!answer.empty()) Deliver(answer);
        }
    }

    common::Bytes Input() override
    {
        ++inputReads;
        if (failInput) throw devlink::SerialError("read failed");
        common::Bytes all;
        all.swap(pending);
        return all;
    }

    void SendDone()
    {
        if (OnComm) OnComm(devlink::ComEvSend);
    }

    void Deliver(const common::Bytes& bytes)
    {
        pending.insert(pending.end(), bytes.begin(), bytes.end());
        if (OnComm) OnComm(devlink::ComEvReceive);
    }

private:
    int16_t port_ = 1;
    QString settings_;
};

// A whole reply frame: the given bytes followed by their CRC, high byte first.
common::Bytes WithCrc(common::Bytes body);

// `reply` (a whole frame) made `length` bytes long with a valid CRC: the bytes before its
// CRC cut to fit or padded with 00.
common::Bytes Resized(const common::Bytes& reply, size_t length);

}  // namespace testlink
