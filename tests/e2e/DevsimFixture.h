#pragma once
// Starts the stand-in controller on a pseudo-terminal, points COM7 of a temporary ports
// folder at it, and drives the link engine over the real serial port tick by tick.
// devsim records every request it receives; the test reads them back as hex lines.

#include "link/RecordingEngineView.h"
#include "support/TempFolder.h"

#include "link/EngineState.h"
#include "link/LinkEngine.h"
#include "link/LinkExchange.h"
#include "link/QtSerialPort.h"
#include "params/ParamTypes.h"

#include <QProcess>
#include <QStringList>
#include <functional>
#include <memory>

namespace e2e {

constexpr int16_t kDevsimPort = 7;

class DevsimFixture {
public:
    DevsimFixture();
    ~DevsimFixture();

    // Starts devsim with extra options; false (with a reason) when it does not come up.
    bool Start(const QStringList& options = {});
    // Opens COM7 with the tool's usual properties; throws SerialError.
    void OpenPort();
    // Ends devsim at once, like a board pulled from the bench.
    void Kill();
    // Asks devsim to stop; it writes its flash dump on the way out.
    void Stop();
    // Sends devsim a signal and waits until it prints `ack` ("pulled", "plugged",
    // "swapped"); false when it does not.
    bool Signal(int signal, const QString& ack);

    // One timer tick, then the serial events of one tick period.
    void Tick();
    // Ticks until `done` holds, at most `maxTicks` times; whether it held.
    bool TickUntil(const std::function<bool()>& done, int maxTicks = 400);

    QString FlashDumpPath() const { return temp.file("flash.bin"); }
    QString RecordPath() const { return temp.file("requests.txt"); }
    // The requests devsim has received so far, one "01 F0 00 00 64" line each.
    QStringList RecordedRequests() const;
    // devsim's flash from `address` on, as last dumped (after a page close); `boardFile`
    // names the dump of a board swapped out ("" for the board on the line).
    QByteArray Flash(uint32_t address, int length, const QString& boardFile = {}) const;
    QString FailureReason() const { return failure_; }

    testsupport::TempFolder temp;
    devlink::QtSerialPort port;
    devlink::LinkExchange link{port};
    devlink::EngineState state;
    params::ParamState params;
    testlink::RecordingEngineView view;
    devlink::LinkEngine engine{link, state, params, view};
    int sendDoneEvents = 0;

private:
    std::unique_ptr<QProcess> devsim_;
    QString failure_;
};

}  // namespace e2e
