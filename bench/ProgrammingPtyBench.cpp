// Programming a 32 KB image into the stand-in controller over a pseudo-terminal, with the
// real serial-port layer and the real 16 ms tick. Prints the time taken, the floor that
// the line rate sets (57600 baud, 8N1, 10 bits a byte) for the bytes that went both
// ways, and the least time the tick limits allow for the same exchanges: each needs one
// tick to write its request, and after the send-done GapLimit silent ticks before its
// reply is judged, on which tick the run also decides its next step.
//
// devsim is looked for in TOLVEXAN_DEVSIM, then in bin/ beside this program, then beside
// it. Usage: ProgrammingPtyBench [frame length, default 512]

#include "SilentEngineView.h"
#include "image/ImagePreparation.h"
#include "link/ChipProgrammer.h"
#include "link/Commands.h"
#include "link/LinkEngine.h"
#include "link/QtSerialPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <map>

namespace {

constexpr int kImageLen = 32 * 1024;
constexpr int kBaud = 57600;
constexpr int kBitsPerByte = 10;  // start, 8 data, stop
constexpr int kPortNumber = 1;
constexpr int kGiveUpMs = 300000;

// The serial-port layer, counting what goes out and what is read in.
class CountingPort : public devlink::QtSerialPort {
public:
    using QtSerialPort::QtSerialPort;
    long bytesOut = 0;
    long bytesIn = 0;
    long requests = 0;
    std::map<uint8_t, long> requestsByCommand;

    void Output(const common::Bytes& frame) override
    {
        QtSerialPort::Output(frame);
        bytesOut += static_cast<long>(frame.size());
        ++requests;
        ++requestsByCommand[frame.at(1)];
    }

    common::Bytes Input() override
    {
        common::Bytes received = QtSerialPort::Input();
        bytesIn += static_cast<long>(received.size());
        return received;
    }
};


class LoggingProgrammingView : public devlink::ProgrammingView {
public:
    QString frameLength = QStringLiteral("512");
    QStringList log;
    void SetInfLabCaption(const QString&) override {}
    double InfLabWidth() const override { return 8500; }
    void ShowPersLab(double) override {}
    void HidePersLab() override {}
    QString Command4Caption() const override { return caption; }
    void SetCommand4Caption(const QString& text) override { caption = text; }
    void FocusCommand4() override {}
    void SetCommand4Enabled(bool) override {}
    void SetCommand3Enabled(bool) override {}
    void SetLinkPanel(const QString&) override {}
    void AppendLog(const QString& message) override { log << message; }
    void ShowSettingGrid() override {}
    bool KeepInF() const override { return false; }
    bool CurrSet() const override { return false; }
    bool AutoLoad() const override { return false; }
    QString FrameLengthText() const override { return frameLength; }
    QString NodeProgramFile() const override { return {}; }
    QString OrderNumber() const override { return {}; }
    QString caption = QStringLiteral("Stop");
};

QString FindDevsim()
{
    const QString fromEnvironment = qEnvironmentVariable("TOLVEXAN_DEVSIM");
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {fromEnvironment, here + "/bin/devsim", here + "/devsim"})
        if (!candidate.isEmpty() && QFileInfo(candidate).isExecutable()) return candidate;
    return {};
}

QString WriteImage(const QTemporaryDir& folder)
{
    QByteArray bytes(kImageLen, 0);
    for (int i = 0; i < kImageLen; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    for (int i = image::kImageInfoOffset; i < image::kImageRecordEnd; ++i) bytes[i] = static_cast<char>(0xFF);
    QFile file(folder.filePath("bench.BIN"));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName();
}

int GapLimitOf(uint8_t command)
{
    switch (command) {
    case devlink::CmdHandshake: return devlink::kHandshakeLimits.gap;
    case devlink::CmdEnterDownload: return devlink::kEnterDownloadLimits.gap;
    case devlink::CmdErasePage: return devlink::kErasePageLimits.gap;
    case devlink::CmdWriteChunk: return devlink::kWriteChunkLimits.gap;
    case devlink::CmdClosePage: return devlink::kClosePageLimits.gap;
    default: return devlink::kLinkQueryLimits.gap;
    }
}

int Fail(const char* message)
{
    std::fprintf(stderr, "ProgrammingPtyBench: %s\n", message);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString devsimPath = FindDevsim();
    if (devsimPath.isEmpty()) return Fail("devsim not found (set TOLVEXAN_DEVSIM)");
    QTemporaryDir folder;
    const QString flashDump = folder.filePath("flash.bin");

    QProcess devsim;
    devsim.start(devsimPath, {"--exit-with-parent", "--link", folder.filePath(QStringLiteral("COM%1").arg(kPortNumber)),
                              "--flash-out", flashDump});
    if (!devsim.waitForStarted(10000) || !devsim.waitForReadyRead(10000)) return Fail("devsim did not start");

    image::ImageState image;
    devlink::EngineState state;
    params::ParamState params;
    const image::PrepareOptions prepare{false, QStringLiteral("bench"), QDate::currentDate()};
    if (image::StampImageInfo(WriteImage(folder), prepare, params, image, state.ImageInfo) != image::PrepOk)
        return Fail("image preparation failed");

    CountingPort port(folder.path(), folder.filePath("no-devices"));
    devlink::LinkExchange link(port);
    port.OnComm = [&link](int event) { link.OnComm(event); };
    SilentEngineView engineView;
    LoggingProgrammingView view;
    if (argc > 1) view.frameLength = QString::fromLocal8Bit(argv[1]);
    devlink::LinkEngine engine(link, state, params, engineView);
    devlink::ChipProgrammer programmer(state, link, image, view);
    engine.SetProgramOperation(&programmer);
    try {
        port.SetCommPort(kPortNumber);
        port.SetSettings(QStringLiteral("57600,n,8,1"));
        port.SetSThreshold(1);
        port.SetRThreshold(1);
        port.SetPortOpen(true);
    } catch (const devlink::SerialError& e) {
        return Fail(e.what());
    }

    long ticks = 0;
    QElapsedTimer clock;
    bool armed = false;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(devlink::kTickIntervalMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        engine.Tick();
        if (!armed) {
            // Armed as the Program button does, once link polling has had a good reply.
            if (link.LinkPhase != 0 || link.LinkError != devlink::LinkOk || link.RxBuf.empty()) return;
            armed = true;
            port.bytesOut = port.bytesIn = port.requests = 0;
            port.requestsByCommand.clear();
            state.ProgRun = 1;
            state.Request(devlink::OpProgram);
            clock.start();
            return;
        }
        ++ticks;
        if (state.ProgRun == 0) app.quit();
    });
    QTimer::singleShot(kGiveUpMs, &app, [&] { app.quit(); });
    timer.start();
    app.exec();
    timer.stop();
    const double seconds = clock.isValid() ? clock.nsecsElapsed() / 1e9 : 0;
    if (state.ProgRun != 0 || !armed) return Fail("the run did not end");

    devsim.terminate();
    devsim.waitForFinished(10000);
    QFile dump(flashDump);
    dump.open(QIODevice::ReadOnly);
    const QByteArray flash = dump.readAll().mid(devlink::kFlashBase - 0x08000000, kImageLen);
    const bool flashGood = flash == QByteArray(reinterpret_cast<const char*>(image.ImageData.data()), kImageLen);

    long minimumTicks = 2;  // the hand-over tick that sets the run up, the tick that ends it
    for (const auto& [command, count] : port.requestsByCommand) minimumTicks += count * (1 + GapLimitOf(command));
    const double minimumSeconds = minimumTicks * devlink::kTickIntervalMs / 1000.0;
    const long lineBytes = port.bytesOut + port.bytesIn;
    const double lineSeconds = static_cast<double>(lineBytes) * kBitsPerByte / kBaud;

    std::printf("Programming a %d-byte image into devsim over a pseudo-terminal, frame length %s,\n",
                kImageLen, qPrintable(view.frameLength));
    std::printf("tick %d ms (real timer)\n\n", devlink::kTickIntervalMs);
    std::printf("  flash after the run             %s\n", flashGood ? "equals the prepared image" : "DIFFERS");
    std::printf("  exchanges                       %ld (", port.requests);
    for (const auto& [command, count] : port.requestsByCommand) std::printf(" %02X:%ld", command, count);
    std::printf(" )\n");
    std::printf("  bytes sent / received           %ld / %ld\n", port.bytesOut, port.bytesIn);
    std::printf("  measured time                   %.3f s over %ld ticks (%.2f ms a tick)\n", seconds, ticks,
                ticks ? seconds * 1000 / ticks : 0.0);
    std::printf("  line-rate floor (57600 8N1)     %.3f s for %ld bytes\n", lineSeconds, lineBytes);
    std::printf("  tick-limit minimum              %.3f s (%ld ticks: 1 + GapLimit per exchange, + 2)\n",
                minimumSeconds, minimumTicks);
    std::printf("  measured / tick-limit minimum   %.3f\n", seconds / minimumSeconds);
    std::printf("  measured ticks / minimum ticks  %.3f\n", static_cast<double>(ticks) / minimumTicks);
    return flashGood ? 0 : 1;
}
