#pragma once
// Chip programming against the real link exchange and engine, over an in-memory port
// that answers every request at once like a controller would.

#include "FakeSerialPort.h"
#include "RecordingEngineView.h"
#include "image/ImageTypes.h"
#include "link/ChipProgrammer.h"
#include "link/Commands.h"
#include "link/LinkEngine.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>

namespace testlink {

class RecordingProgrammingView : public devlink::ProgrammingView {
public:
    QString infLab;
    double infLabWidth = 8500;
    bool persLabVisible = false;
    double persLabWidth = 0;
    std::vector<double> barWidths;  // every width shown, 0 for hidden
    QString command4Caption = "Program";
    int command4Focus = 0;
    std::optional<bool> command4Enabled;
    std::optional<bool> command3Enabled;
    QStringList linkPanel;
    QStringList log;
    int settingGridShown = 0;
    bool keepInF = false;
    bool currSet = false;
    bool autoLoad = false;
    QString frameLength = "512";
    QString nodeProgramFile;
    QString orderNumber;

    void SetInfLabCaption(const QString& caption) override { infLab = caption; }
    double InfLabWidth() const override { return infLabWidth; }
    void ShowPersLab(double width) override
    {
        persLabVisible = true;
        persLabWidth = width;
        barWidths.push_back(width);
    }
    void HidePersLab() override
    {
        persLabVisible = false;
        barWidths.push_back(0);
    }
    QString Command4Caption() const override { return command4Caption; }
    void SetCommand4Caption(const QString& caption) override { command4Caption = caption; }
    void FocusCommand4() override { ++command4Focus; }
    void SetCommand4Enabled(bool enabled) override { command4Enabled = enabled; }
    void SetCommand3Enabled(bool enabled) override { command3Enabled = enabled; }
    void SetLinkPanel(const QString& text) override { linkPanel << text; }
    void AppendLog(const QString& message) override { log << message; }
    void ShowSettingGrid() override { ++settingGridShown; }
    bool KeepInF() const override { return keepInF; }
    bool CurrSet() const override { return currSet; }
    bool AutoLoad() const override { return autoLoad; }
    QString FrameLengthText() const override { return frameLength; }
    QString NodeProgramFile() const override { return nodeProgramFile; }
    QString OrderNumber() const override { return orderNumber; }
};

using ChipId = std::array<uint8_t, 12>;

// Answers each request as it is written: F1 with the chip ID (or silence while no chip
// is on the line), F4 with the bytes of its flash, everything else with the status of
// carrying it out. Its flash takes erases and writes of the image pages in download
// mode; out of it they are refused. `answer` may replace any reply: nullopt keeps the
// controller silent; `lost` requests are never carried out.
// The loaders the protocol allows: one that writes each chunk at its 07, or one that
// puts the page into flash only at its 09 close; one that reads back in download mode,
// or one that does not answer F4 there, or refuses it; one that refuses a chunk over
// bytes neither erased nor equal to it (status 02); one that starts the new program at
// the last page's close, or one that stays in download mode. A worn flash cell keeps
// some of its bits at 1 whatever is written.
class ControllerPort : public FakeSerialPort {
public:
    static constexpr uint32_t kFlashStart = 0x08000000;
    enum class Loader { WritesAt07, WritesAtClose };
    enum class ReadInDownload { Answers, Silent, Refuses };

    std::optional<ChipId> chip = ChipId{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    bool withoutId = false;  // the chip on the line answers the handshake without its ID
    std::function<std::optional<common::Bytes>(const common::Bytes& frame)> answer;
    std::function<bool(const common::Bytes& frame)> lost;
    common::Bytes flash = common::Bytes(0x40000, 0xFF);  // up to page 255
    Loader loader = Loader::WritesAt07;
    ReadInDownload readInDownload = ReadInDownload::Answers;
    std::map<uint32_t, uint8_t> wornBits;  // flash address: the bits that stay at 1
    bool compareBeforeWrite = false;
    bool staysInDownload = false;
    bool downloadMode = false;

    void Output(const common::Bytes& frame) override
    {
        FakeSerialPort::Output(frame);
        status_ = !lost || !lost(frame) ? CarryOut(frame) : 0;
        const auto reply = answer ? answer(frame) : DefaultReply(frame);
        if (reply) Deliver(*reply);
    }

    std::optional<common::Bytes> DefaultReply(const common::Bytes& frame) const
    {
        if (frame[1] == devlink::CmdReadMemory) return ReadReply(frame);
        if (frame[1] != devlink::CmdHandshake) return WithCrc({0x01, frame[1], status_});
        if (!chip) return std::nullopt;
        if (withoutId) return WithCrc({0x01, devlink::CmdHandshake, 0x00});
        common::Bytes body{0x01, devlink::CmdHandshake, 0x01};
        body.insert(body.end(), chip->begin(), chip->end());
        return WithCrc(body);
    }

    // The flash bytes from `address` on.
    common::Bytes Flash(uint32_t address, size_t length) const
    {
        const auto from = flash.begin() + (address - kFlashStart);
        return common::Bytes(from, from + static_cast<long>(length));
    }

private:
    static uint32_t Field(const common::Bytes& frame, size_t at, int bytes)
    {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | frame[at + i];
        return value;
    }

    static bool PageCommand(uint8_t command)
    {
        return command == devlink::CmdErasePage || command == devlink::CmdWriteChunk || command == devlink::CmdClosePage;
    }

    // The status of the reply: 0 carried out, 1 refused, 2 a chunk over other bytes.
    uint8_t CarryOut(const common::Bytes& frame)
    {
        if (PageCommand(frame[1]) && !downloadMode) return 1;
        switch (frame[1]) {
        case devlink::CmdEnterDownload: downloadMode = true; break;
        case devlink::CmdErasePage:
            openPage_ = Field(frame, 3, 4) - kFlashStart;
            pageBuffer_.assign(1024, 0xFF);
            if (openPage_ + 1024 <= flash.size()) std::fill_n(flash.begin() + openPage_, 1024, 0xFF);
            break;
        case devlink::CmdWriteChunk: return WriteChunk(frame);
        case devlink::CmdClosePage:
            if (loader == Loader::WritesAtClose) Program(openPage_, pageBuffer_.begin(), 1024);
            if (frame[2] == devlink::kLastPageFlag && !staysInDownload) downloadMode = false;
            break;
        default: break;
        }
        return 0;
    }

    uint8_t WriteChunk(const common::Bytes& frame)
    {
        const uint32_t position = Field(frame, 3, 2);
        const uint32_t length = Field(frame, 5, 2);
        if (position + length > 1024) return 1;
        const auto data = frame.begin() + 7;
        const bool inFlash = loader == Loader::WritesAt07;
        for (uint32_t i = 0; compareBeforeWrite && i < length; ++i) {
            const uint8_t there = inFlash ? flash[openPage_ + position + i] : pageBuffer_[position + i];
            if (there != 0xFF && there != data[i]) return 2;
        }
        std::copy_n(data, length, pageBuffer_.begin() + position);
        if (inFlash) Program(openPage_ + position, data, length);
        return 0;
    }

    void Program(uint32_t at, common::Bytes::const_iterator data, uint32_t length)
    {
        for (uint32_t i = 0; i < length && at + i < flash.size(); ++i) {
            const auto worn = wornBits.find(kFlashStart + at + i);
            flash[at + i] = data[i] | (worn == wornBits.end() ? 0 : worn->second);
        }
    }

    std::optional<common::Bytes> ReadReply(const common::Bytes& frame) const
    {
        if (downloadMode && readInDownload == ReadInDownload::Silent) return std::nullopt;
        if (downloadMode && readInDownload == ReadInDownload::Refuses) return WithCrc({0x01, devlink::CmdReadMemory, 0x01});
        common::Bytes body(frame.begin(), frame.begin() + 8);
        const common::Bytes data = Flash(Field(frame, 2, 4), Field(frame, 6, 2));
        body.insert(body.end(), data.begin(), data.end());
        return WithCrc(body);
    }

    uint8_t status_ = 0;
    uint32_t openPage_ = 0;
    common::Bytes pageBuffer_ = common::Bytes(1024, 0xFF);
};

struct ProgrammingRig {
    ProgrammingRig()
    {
        port.OnComm = [this](int e) { link.OnComm(e); };
        port.sendDoneOnOutput = true;
        engine.SetProgramOperation(&programmer);
    }

    // A prepared image of `length` bytes with a recognisable pattern, and the run armed
    // as the Program button arms it.
    void Arm(int length)
    {
        image.ImageFile = "/images/app.BIN";
        image.ImageLen = length;
        image.ImageData.assign(static_cast<size_t>(length) + 1, 0);
        for (int k = 0; k < length; ++k) image.ImageData[k] = static_cast<uint8_t>(k * 13 + k / 256);
        programmer.ArmRun();
    }

    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) engine.Tick();
    }

    // Ticks until `done` holds; false when it does not within `limit` ticks.
    bool RunUntil(const std::function<bool()>& done, int limit = 100000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            engine.Tick();
        }
        return done();
    }

    bool RunEnded() { return state.ProgRun == 0 && state.CurMode == devlink::OpLinkCheck; }

    // Frames written with the given command byte.
    std::vector<common::Bytes> Sent(uint8_t command) const
    {
        std::vector<common::Bytes> frames;
        for (const auto& f : port.written)
            if (f.size() > 1 && f[1] == command) frames.push_back(f);
        return frames;
    }

    ControllerPort port;
    devlink::LinkExchange link{port};
    devlink::EngineState state;
    params::ParamState params;
    RecordingEngineView engineView;
    devlink::LinkEngine engine{link, state, params, engineView};
    image::ImageState image;
    RecordingProgrammingView view;
    devlink::ChipProgrammer programmer{state, link, image, view};
};

}  // namespace testlink
