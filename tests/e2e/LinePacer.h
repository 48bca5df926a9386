#pragma once
// Paces hand-driven ticks by the serial line instead of the clock. After a tick it lets
// the events of the exchange in flight arrive: the send-done of a request just written,
// and the first bytes of its reply (waited for once per exchange, at most replyWaitMs;
// on a pseudo-terminal they often come before the send-done).
// Every later tick follows after a short pause for trailing bytes, so the tick limits
// decide what a lost or late reply means, and a slow machine only makes the test slower.

#include "link/LinkExchange.h"
#include "link/SerialPort.h"

#include <QTest>
#include <functional>

namespace e2e {

class LinePacer {
public:
    explicit LinePacer(devlink::LinkExchange& link) : link_(link) {}

    // Chains itself in front of the port's event handler.
    void Attach(devlink::SerialPort& port)
    {
        auto inner = port.OnComm;
        port.OnComm = [this, inner](int event) {
            if (event == devlink::ComEvSend) ++sendDone;
            if (event == devlink::ComEvReceive) ++received;
            if (inner) inner(event);
        };
    }

    void AfterTick()
    {
        constexpr int kSendDoneWaitMs = 5000;  // the pseudo-terminal takes every byte at once
        constexpr int kTrailingBytesMs = 1;
        if (link_.LinkPhase == devlink::PhaseWritten) {
            // Written on this tick: the reply's bytes may come even before the send-done.
            receivedAtWrite_ = received;
            waitedForReply_ = false;
            // Without a send-done no reply is on its way, nor trailing bytes of one.
            if (!QTest::qWaitFor([&] { return link_.LinkPhase != devlink::PhaseWritten; }, kSendDoneWaitMs))
                return;
        }
        if (link_.LinkPhase == devlink::PhaseReceiving && !waitedForReply_ && received == receivedAtWrite_) {
            waitedForReply_ = true;
            // A reply that has not begun has no trailing bytes; its loss is the tick limits' to judge.
            if (!QTest::qWaitFor([&] { return received != receivedAtWrite_; }, replyWaitMs)) return;
        }
        QTest::qWait(kTrailingBytesMs);
    }

    int replyWaitMs = 500;
    int sendDone = 0;
    int received = 0;

private:
    devlink::LinkExchange& link_;
    int receivedAtWrite_ = 0;
    bool waitedForReply_ = true;
};

}  // namespace e2e
