// Programming a 32 KB image into the stand-in controller over a pseudo-terminal, with the
// real serial-port layer and the real 16 ms tick, at 57600 and 9600 baud with devsim
// pacing its line like a real one, for frame lengths 128, 512 and 1024, and at 1200 baud
// for frame length 128; and once over the bare pseudo-terminal, where bytes take no time
// at all. Then 16 KB in frames of 16 at 57600 baud, once on a clean line and once with 1 %
// of the replies lost at random (every request carried out), and the ratio of the two.
//
// For each run it prints the time taken, the floor that the line rate sets for the bytes
// that went both ways (10 bits a byte at 8N1), and the least time the tick limits allow
// for the same exchanges, wire time included: each needs one tick to write its request;
// its reply is judged GapLimit ticks after the first tick on which the request and the
// reply have both crossed the line, and on that tick the run also decides its next step.
//
// devsim is looked for in TOLVEXAN_DEVSIM, then in bin/ beside this program, then beside
// it. Usage: ProgrammingPtyBench [SETTINGS|pty [FRAME LENGTH]] runs one case only.

#include "SilentEngineView.h"
#include "image/ImagePreparation.h"
#include "link/ChipProgrammer.h"
#include "link/Commands.h"
#include "link/LineSettings.h"
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
#include <random>
#include <vector>

namespace {

constexpr int kImageLen = 32 * 1024;
constexpr int kLossyImageLen = 16 * 1024;
constexpr int kPortNumber = 1;
constexpr int kGiveUpMs = 600000;
constexpr double kTickSeconds = devlink::kTickIntervalMs / 1000.0;

// One case of the table: the line settings, whether devsim paces its line at them, the
// frame length, the image's length and the share of replies devsim leaves unsent.
struct Case {
    QString settings;
    bool paced = true;
    int frameLength = 512;
    int imageLen = kImageLen;
    double replyLoss = 0;
};

struct Exchange {
    uint8_t command = 0;
    long bytesOut = 0;
    long bytesIn = 0;
};

// The serial-port layer, counting what goes out and what is read in, exchange by exchange.
class CountingPort : public devlink::QtSerialPort {
public:
    using QtSerialPort::QtSerialPort;
    std::vector<Exchange> exchanges;
    bool counting = false;

    void Output(const common::Bytes& frame) override
    {
        QtSerialPort::Output(frame);
        if (counting) exchanges.push_back({frame.at(1), static_cast<long>(frame.size()), 0});
    }

    common::Bytes Input() override
    {
        common::Bytes received = QtSerialPort::Input();
        if (counting && !exchanges.empty()) exchanges.back().bytesIn += static_cast<long>(received.size());
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

struct Result {
    bool ended = false;
    bool flashGood = false;
    double seconds = 0;
    long ticks = 0;
    std::vector<Exchange> exchanges;
};

QString FindDevsim()
{
    const QString fromEnvironment = qEnvironmentVariable("TOLVEXAN_DEVSIM");
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {fromEnvironment, here + "/bin/devsim", here + "/devsim"})
        if (!candidate.isEmpty() && QFileInfo(candidate).isExecutable()) return candidate;
    return {};
}

QString WriteImage(const QTemporaryDir& folder, int length)
{
    QByteArray bytes(length, 0);
    for (int i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
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

double Seconds(long bytes, const devlink::LineSettings& line)
{
    return std::chrono::duration<double>(devlink::WireTime(static_cast<size_t>(bytes), line)).count();
}

// The hand-over tick that sets the run up and the tick that ends it, and per exchange the
// writing tick, the whole ticks that the request and its reply spend on the line, and
// GapLimit ticks. A request always takes its wire time at the port's settings before its
// send-done; on the bare pseudo-terminal the reply takes none.
long MinimumTicks(const std::vector<Exchange>& exchanges, const devlink::LineSettings& line, bool paced)
{
    long ticks = 2;
    for (const Exchange& e : exchanges) {
        const double wire = Seconds(e.bytesOut, line) + (paced ? Seconds(e.bytesIn, line) : 0.0);
        ticks += 1 + GapLimitOf(e.command) + static_cast<long>(wire / kTickSeconds);
    }
    return ticks;
}

bool FlashEquals(const QString& dump, const image::ImageState& image)
{
    QFile file(dump);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray flash = file.readAll().mid(devlink::kFlashBase - 0x08000000, image.ImageLen);
    return flash == QByteArray(reinterpret_cast<const char*>(image.ImageData.data()), image.ImageLen);
}

// devsim leaves each of the first requests unanswered with probability `loss`, the same
// requests on every run.
QStringList LostReplies(double loss)
{
    constexpr int kRequestsCovered = 20000;
    std::mt19937 random(2026);
    std::bernoulli_distribution lost(loss);
    QStringList options;
    for (int n = 1; loss > 0 && n <= kRequestsCovered; ++n)
        if (lost(random)) options << "--drop-reply" << QString::number(n);
    return options;
}

Result Run(QCoreApplication& app, const QString& devsimPath, const Case& c)
{
    Result result;
    QTemporaryDir folder;
    const QString flashDump = folder.filePath("flash.bin");
    QStringList arguments{"--exit-with-parent", "--link", folder.filePath(QStringLiteral("COM%1").arg(kPortNumber)),
                          "--flash-out", flashDump};
    if (c.paced) arguments << "--line" << c.settings;
    arguments << LostReplies(c.replyLoss);
    QProcess devsim;
    devsim.start(devsimPath, arguments);
    if (!devsim.waitForStarted(10000) || !devsim.waitForReadyRead(10000)) return result;

    image::ImageState image;
    devlink::EngineState state;
    params::ParamState params;
    const image::PrepareOptions prepare{false, QStringLiteral("bench"), QDate::currentDate()};
    if (image::StampImageInfo(WriteImage(folder, c.imageLen), prepare, params, image, state.ImageInfo) != image::PrepOk)
        return result;

    CountingPort port(folder.path(), folder.filePath("no-devices"));
    devlink::LinkExchange link(port);
    port.OnComm = [&link](int event) { link.OnComm(event); };
    SilentEngineView engineView;
    LoggingProgrammingView view;
    view.frameLength = QString::number(c.frameLength);
    devlink::LinkEngine engine(link, state, params, engineView);
    devlink::ChipProgrammer programmer(state, link, image, view);
    engine.SetProgramOperation(&programmer);
    try {
        port.SetCommPort(kPortNumber);
        port.SetSettings(c.settings);
        port.SetSThreshold(1);
        port.SetRThreshold(1);
        port.SetPortOpen(true);
    } catch (const devlink::SerialError& e) {
        std::fprintf(stderr, "ProgrammingPtyBench: %s\n", e.what());
        return result;
    }

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
            port.counting = true;
            state.ProgRun = 1;
            state.Request(devlink::OpProgram);
            clock.start();
            return;
        }
        ++result.ticks;
        if (state.ProgRun == 0) app.quit();
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &app, [&] { app.quit(); });
    giveUp.start(kGiveUpMs);
    timer.start();
    app.exec();
    timer.stop();
    result.seconds = clock.isValid() ? clock.nsecsElapsed() / 1e9 : 0;
    result.ended = armed && state.ProgRun == 0;
    result.exchanges = port.exchanges;
    port.SetPortOpen(false);
    devsim.terminate();
    devsim.waitForFinished(10000);
    result.flashGood = FlashEquals(flashDump, image);
    return result;
}

void PrintRow(const Case& c, const Result& r)
{
    const devlink::LineSettings line = devlink::ParseLineSettings(c.settings);
    long bytes = 0;
    std::map<uint8_t, long> byCommand;
    for (const Exchange& e : r.exchanges) {
        bytes += e.bytesOut + e.bytesIn;
        ++byCommand[e.command];
    }
    const double floor = Seconds(bytes, line);
    const long minimumTicks = MinimumTicks(r.exchanges, line, c.paced);
    const double minimum = minimumTicks * kTickSeconds;
    const QString where = c.paced ? c.settings.section(',', 0, 0) : QStringLiteral("pty");
    std::printf("  %-6s %5d %6d %4.0f%% %9zu %10.3f %10.3f %10.3f %9.3f %9.3f %9.3f  %s\n", qPrintable(where),
                c.frameLength, c.imageLen, c.replyLoss * 100,
                r.exchanges.size(), r.seconds, floor, minimum, r.seconds / minimum, r.seconds / floor,
                static_cast<double>(r.ticks) / minimumTicks,
                !r.ended ? "did not end" : r.flashGood ? "equals the image" : "DIFFERS");
}

std::vector<Case> CasesFrom(int argc, char** argv)
{
    if (argc > 1) {
        const QString first = QString::fromLocal8Bit(argv[1]);
        Case c{first == "pty" ? QStringLiteral("57600,n,8,1") : first, first != "pty", 512};
        if (argc > 2) c.frameLength = QString::fromLocal8Bit(argv[2]).toInt();
        return {c};
    }
    std::vector<Case> cases{{QStringLiteral("57600,n,8,1"), false, 512}};
    for (const char* settings : {"57600,n,8,1", "9600,n,8,1"})
        for (int frameLength : {128, 512, 1024}) cases.push_back({QString::fromLatin1(settings), true, frameLength});
    cases.push_back({QStringLiteral("1200,n,8,1"), true, 128});
    cases.push_back({QStringLiteral("57600,n,8,1"), true, 16, kLossyImageLen, 0});
    cases.push_back({QStringLiteral("57600,n,8,1"), true, 16, kLossyImageLen, 0.01});
    return cases;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString devsimPath = FindDevsim();
    if (devsimPath.isEmpty()) {
        std::fprintf(stderr, "ProgrammingPtyBench: devsim not found (set TOLVEXAN_DEVSIM)\n");
        return 1;
    }
    std::printf("Programming an image into devsim over a pseudo-terminal, tick %d ms (real timer).\n",
                devlink::kTickIntervalMs);
    std::printf("Line: the baud rate devsim paces its line at (8N1), or pty for the bare pseudo-terminal.\n");
    std::printf("Floor: the bytes both ways at the line rate. Minimum: the least time the tick limits allow.\n\n");
    std::printf("Lost: the share of replies devsim leaves unsent.\n\n");
    std::printf("  %-6s %5s %6s %5s %9s %10s %10s %10s %9s %9s %9s  %s\n", "line", "frame", "image", "lost",
                "exchanges", "measured", "floor", "minimum", "meas/min", "meas/flr", "ticks/min", "flash");
    std::printf("  %-6s %5s %6s %5s %9s %10s %10s %10s\n", "", "", "bytes", "", "", "s", "s", "s");
    bool allGood = true;
    std::map<double, double> lossyLineSeconds;  // the 16 KB runs by their loss
    for (const Case& c : CasesFrom(argc, argv)) {
        const Result r = Run(app, devsimPath, c);
        PrintRow(c, r);
        std::fflush(stdout);
        allGood = allGood && r.ended && r.flashGood;
        if (c.imageLen == kLossyImageLen) lossyLineSeconds[c.replyLoss] = r.seconds;
    }
    if (lossyLineSeconds.size() == 2 && lossyLineSeconds[0] > 0)
        std::printf("\n16 KB in frames of 16 at 57600: 1%% of the replies lost takes %.2f times the clean run.\n",
                    lossyLineSeconds[0.01] / lossyLineSeconds[0]);
    return allGood ? 0 : 1;
}
