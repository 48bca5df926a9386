#pragma once
// Starts the stand-in controller on a pseudo-terminal, points COM7 of a temporary ports
// folder at it, and drives the link engine over the real serial port tick by tick.

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

    // One timer tick, then the serial events of one tick period.
    void Tick();
    // Ticks until `done` holds, at most `maxTicks` times; whether it held.
    bool TickUntil(const std::function<bool()>& done, int maxTicks = 400);

    QString FlashDumpPath() const { return temp.file("flash.bin"); }
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
