#include "DevsimFixture.h"

#include "link/PortSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

namespace e2e {

DevsimFixture::DevsimFixture() : port(temp.path())
{
    port.OnComm = [this](int event) {
        if (event == devlink::ComEvSend) ++sendDoneEvents;
        link.OnComm(event);
    };
}

DevsimFixture::~DevsimFixture()
{
    try {
        port.SetPortOpen(false);
    } catch (const devlink::SerialError&) {
    }
    Stop();
}

bool DevsimFixture::Start(const QStringList& options)
{
    devsim_ = std::make_unique<QProcess>();
    devsim_->setProgram(QStringLiteral(TOLVEXAN_PROGRAM_DIR "/devsim"));
    const QString link = temp.file(QStringLiteral("COM%1").arg(kDevsimPort));
    devsim_->setArguments(QStringList{"--exit-with-parent", "--link", link, "--flash-out", FlashDumpPath(),
                                      "--record", RecordPath()} +
                          options);
    devsim_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    devsim_->start();
    if (!devsim_->waitForStarted(10000)) {
        failure_ = "devsim did not start: " + devsim_->errorString();
        return false;
    }
    while (!devsim_->canReadLine()) {
        if (!devsim_->waitForReadyRead(10000)) {
            failure_ = "devsim printed no device path";
            return false;
        }
    }
    const QString device = QString::fromLocal8Bit(devsim_->readLine()).trimmed();
    if (!device.startsWith('/')) {
        failure_ = "unexpected first line from devsim: " + device;
        return false;
    }
    return true;
}

void DevsimFixture::OpenPort()
{
    devlink::ApplyOpenProperties(port, kDevsimPort, QStringLiteral("57600,n,8,1"));
    if (!port.PortOpen()) port.SetPortOpen(true);
}

void DevsimFixture::Kill()
{
    if (!devsim_) return;
    devsim_->kill();
    devsim_->waitForFinished(10000);
}

void DevsimFixture::Stop()
{
    if (!devsim_ || devsim_->state() == QProcess::NotRunning) return;
    devsim_->terminate();
    if (!devsim_->waitForFinished(10000)) Kill();
}

bool DevsimFixture::Signal(int signal, const QString& ack)
{
    if (!devsim_ || devsim_->state() != QProcess::Running) return false;
    if (::kill(static_cast<pid_t>(devsim_->processId()), signal) != 0) return false;
    constexpr int kAckWaitMs = 10000;  // an upper bound only: devsim acts within its 10 ms poll
    for (;;) {
        while (devsim_->canReadLine()) {
            if (QString::fromLocal8Bit(devsim_->readLine()).trimmed() == ack) return true;
        }
        if (!devsim_->waitForReadyRead(kAckWaitMs)) return false;
    }
}

QStringList DevsimFixture::RecordedRequests() const
{
    return QString::fromLatin1(temp.read(RecordPath())).split('\n', Qt::SkipEmptyParts);
}

QByteArray DevsimFixture::Flash(uint32_t address, int length, const QString& boardFile) const
{
    const QByteArray dump = temp.read(boardFile.isEmpty() ? FlashDumpPath() : FlashDumpPath() + boardFile);
    return dump.mid(static_cast<qsizetype>(address - 0x08000000u), length);
}

void DevsimFixture::Tick()
{
    engine.Tick();
    QTest::qWait(devlink::kTickIntervalMs);
}

bool DevsimFixture::TickUntil(const std::function<bool()>& done, int maxTicks)
{
    for (int tick = 0; tick < maxTicks; ++tick) {
        if (done()) return true;
        Tick();
    }
    return done();
}

}  // namespace e2e
