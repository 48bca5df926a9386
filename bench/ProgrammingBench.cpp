// Speed of chip programming without a controller: a 64 KB image programmed through the
// real engine, link exchange and programming run against an in-memory port that answers
// every request at once. Prints frames, bytes and ticks per second of processor time,
// and the programming time a real line would take at the engine's tick period.

#include "SilentEngineView.h"
#include "link/ChipProgrammer.h"
#include "link/Commands.h"
#include "link/LinkEngine.h"

#include <chrono>
#include <cstdio>

namespace {

class AnsweringPort : public devlink::SerialPort {
public:
    common::Bytes pending;
    size_t frames = 0;
    size_t bytesOut = 0;

    void SetCommPort(int16_t) override {}
    int16_t CommPort() const override { return 1; }
    void SetSettings(const QString&) override {}
    QString Settings() const override { return {}; }
    void SetInputMode(int) override {}
    void SetOutBufferSize(int) override {}
    void SetInBufferSize(int) override {}
    void SetSThreshold(int) override {}
    void SetRThreshold(int) override {}
    void SetInputLen(int) override {}
    void ClearOutBuffer() override {}
    void ClearInBuffer() override { pending.clear(); }
    bool PortOpen() const override { return true; }
    void SetPortOpen(bool) override {}

    void Output(const common::Bytes& frame) override
    {
        ++frames;
        bytesOut += frame.size();
        if (OnComm) OnComm(devlink::ComEvSend);
        pending = Reply(frame[1]);
        if (OnComm) OnComm(devlink::ComEvReceive);
    }

    common::Bytes Input() override
    {
        common::Bytes all;
        all.swap(pending);
        return all;
    }

private:
    static common::Bytes Reply(uint8_t command)
    {
        common::Bytes body{0x01, command, command == devlink::CmdHandshake ? uint8_t(1) : uint8_t(0)};
        if (command == devlink::CmdHandshake)
            for (uint8_t i = 1; i <= 12; ++i) body.push_back(i);
        const auto crc = common::Crc16(body.data(), body.size(), 0, body.size());
        body.push_back(crc.CRCLo);
        body.push_back(crc.CRCHi);
        return body;
    }
};


class SilentProgrammingView : public devlink::ProgrammingView {
public:
    QString frameLength;
    void SetInfLabCaption(const QString&) override {}
    double InfLabWidth() const override { return 8500; }
    void ShowPersLab(double) override {}
    void HidePersLab() override {}
    QString Command4Caption() const override { return "Stop"; }
    void SetCommand4Caption(const QString&) override {}
    void FocusCommand4() override {}
    void SetCommand4Enabled(bool) override {}
    void SetCommand3Enabled(bool) override {}
    void SetLinkPanel(const QString&) override {}
    void AppendLog(const QString&) override {}
    void ShowSettingGrid() override {}
    bool KeepInF() const override { return false; }
    bool CurrSet() const override { return false; }
    bool AutoLoad() const override { return false; }
    QString FrameLengthText() const override { return frameLength; }
    QString NodeProgramFile() const override { return {}; }
    QString OrderNumber() const override { return {}; }
};

struct RunFigures {
    size_t frames = 0;
    size_t bytes = 0;
    long ticks = 0;
    double seconds = 0;
};

RunFigures ProgramOnce(const image::ImageState& image, int frameLength)
{
    AnsweringPort port;
    devlink::LinkExchange link(port);
    port.OnComm = [&link](int e) { link.OnComm(e); };
    devlink::EngineState state;
    params::ParamState params;
    SilentEngineView engineView;
    devlink::LinkEngine engine(link, state, params, engineView);
    SilentProgrammingView view;
    view.frameLength = QString::number(frameLength);
    devlink::ChipProgrammer programmer(state, link, image, view);
    engine.SetProgramOperation(&programmer);

    state.ProgRun = 1;
    state.Request(devlink::OpProgram);
    RunFigures figures;
    const auto start = std::chrono::steady_clock::now();
    engine.Tick();  // the hand-over to programming
    while (state.ProgRun == 1) {
        engine.Tick();
        ++figures.ticks;
    }
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.frames = port.frames;
    figures.bytes = port.bytesOut;
    return figures;
}

double FrameBuildingRate(const image::ImageState& image, int frameLength, int rounds)
{
    AnsweringPort port;
    devlink::LinkExchange link(port);
    const auto start = std::chrono::steady_clock::now();
    size_t frames = 0;
    for (int r = 0; r < rounds; ++r) {
        for (int offset = 0; offset + frameLength <= image.ImageLen; offset += frameLength) {
            const std::span<const uint8_t> chunk(image.ImageData.data() + offset, size_t(frameLength));
            link.SendFrame(devlink::WriteChunkBody(uint16_t(offset % 1024), chunk), devlink::kWriteChunkLimits);
            ++frames;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return frames / seconds;
}

}  // namespace

int main()
{
    image::ImageState image;
    image.ImageFile = "bench.BIN";
    image.ImageLen = 64 * 1024;
    image.ImageData.resize(size_t(image.ImageLen) + 1);
    for (int k = 0; k < image.ImageLen; ++k) image.ImageData[k] = uint8_t(k * 31 + 7);

    std::printf("Programming a %d-byte image against an in-memory controller\n", image.ImageLen);
    std::printf("%6s %8s %9s %8s %10s %12s %12s %14s\n", "frame", "frames", "bytes", "ticks",
                "cpu ms", "frames/s", "MB/s", "line time s");
    for (int frameLength : {16, 64, 256, 512, 1024}) {
        const RunFigures f = ProgramOnce(image, frameLength);
        std::printf("%6d %8zu %9zu %8ld %10.2f %12.0f %12.2f %14.1f\n", frameLength, f.frames, f.bytes,
                    f.ticks, f.seconds * 1000, f.frames / f.seconds, f.bytes / f.seconds / 1e6,
                    f.ticks * devlink::kTickIntervalMs / 1000.0);
    }

    std::printf("\nWrite frames built, CRC'd and sent (no reply), 64 KB per round\n");
    std::printf("%6s %14s %12s\n", "frame", "frames/s", "MB/s");
    for (int frameLength : {16, 64, 256, 512, 1024}) {
        const double rate = FrameBuildingRate(image, frameLength, 20);
        std::printf("%6d %14.0f %12.2f\n", frameLength, rate, rate * (frameLength + 9) / 1e6);
    }
    return 0;
}
