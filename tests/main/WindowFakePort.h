#pragma once
// A serial-port control for window tests: ports in `openable` open, others refuse; the
// properties set before opening are recorded in order, every frame written is kept, and
// a responder may answer each frame like a controller.

#include "link/SerialPort.h"

#include <QStringList>
#include <functional>
#include <set>

namespace testmain {

class WindowFakePort : public devlink::SerialPort {
public:
    std::set<int> openable{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    bool refuseSettings = false;
    bool failClose = false;
    bool open = false;
    QStringList calls;  // property names in the order they were put
    std::vector<common::Bytes> written;
    common::Bytes pending;  // received, not yet read
    // When set, each written frame is sent at once (send-done) and answered with what it
    // returns; an empty answer sends nothing back.
    std::function<common::Bytes(const common::Bytes& frame)> responder;

    void SetCommPort(int16_t port) override { Put("CommPort"); port_ = port; }
    int16_t CommPort() const override { return port_; }
    void SetSettings(const QString& settings) override
    {
        if (refuseSettings) throw devlink::SerialError("settings refused");
        Put("Settings");
        settings_ = settings;
    }
    QString Settings() const override { return settings_; }
    void SetInputMode(int) override { Put("InputMode"); }
    void SetOutBufferSize(int) override { Put("OutBufferSize"); }
    void SetInBufferSize(int) override { Put("InBufferSize"); }
    void SetSThreshold(int) override { Put("SThreshold"); }
    void SetRThreshold(int) override { Put("RThreshold"); }
    void SetInputLen(int) override { Put("InputLen"); }
    void ClearOutBuffer() override { Put("OutBufferCount"); }
    void ClearInBuffer() override
    {
        Put("InBufferCount");
        pending.clear();
    }
    bool PortOpen() const override { return open; }
    void SetPortOpen(bool value) override
    {
        if (value && !openable.count(port_)) throw devlink::SerialError("no such port");
        if (!value && open && failClose) throw devlink::SerialError("close failed");
        open = value;
    }
    void Output(const common::Bytes& frame) override
    {
        written.push_back(frame);
        if (!responder) return;
        if (OnComm) OnComm(devlink::ComEvSend);
        const common::Bytes answer = responder(frame);
        if (answer.empty()) return;
        pending.insert(pending.end(), answer.begin(), answer.end());
        if (OnComm) OnComm(devlink::ComEvReceive);
    }
    common::Bytes Input() override
    {
        common::Bytes all;
        all.swap(pending);
        return all;
    }

private:
    void Put(const char* name) { calls << QString::fromLatin1(name); }
    int16_t port_ = 1;
    QString settings_;
};

}  // namespace testmain
