#include "link/ProgramCommands.h"

#include "image/ImageFileIO.h"
#include "image/ImagePreparation.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace devlink {

const char* const kLoadImageFilter = "File(*.BIN)|*.BIN";

QString LoadStartFolder(const QString& nodeProgramFile)
{
    if (nodeProgramFile.isEmpty() || !QFileInfo(nodeProgramFile).isFile()) return {};
    const qsizetype cut = std::max(nodeProgramFile.lastIndexOf(QLatin1Char('\\')),
                                   nodeProgramFile.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? QString() : nodeProgramFile.left(cut);
}

ProgramCommands::ProgramCommands(EngineState& engine, ChipProgrammer& programmer,
                                 image::ImageState& image, params::ParamState& params,
                                 SerialPort& port, ProgrammingView& view, common::Dialogs& dialogs,
                                 const common::AppEnvironment& environment)
    : engine_(engine), programmer_(programmer), image_(image), params_(params), port_(port),
      view_(view), dialogs_(dialogs), environment_(environment)
{
}

void ProgramCommands::Command3_Click()
{
    // Enabled again by the engine's next tick with the port open.
    view_.SetCommand3Enabled(false);
    const QString chosen = dialogs_.OpenFileName(QString(), QString::fromLatin1(kLoadImageFilter),
                                                 LoadStartFolder(view_.NodeProgramFile()));
    if (!image::FileNameUsable(chosen)) {
        ForgetImage();
    } else if (!TakeImageFile(chosen)) {
        view_.SetCommand3Enabled(true);
        image_.ImageLen = 0;
        return;
    }
    ShowProgress(view_, image_.ImageFile, 0);
    programmer_.CancelRun(false);
}

void ProgramCommands::ForgetImage()
{
    image_.ImageFile.clear();
    image_.ImageLen = 0;
    view_.SetCommand4Enabled(false);
}

bool ProgramCommands::TakeImageFile(const QString& chosen)
{
    const auto length = image::MeasureFile(chosen);
    if (!length || *length > std::numeric_limits<int32_t>::max()) return false;
    image_.ImageLen = static_cast<int32_t>(*length);
    image_.ImageFile = chosen;
    view_.AppendLog(QStringLiteral(" File path：") + image_.ImageFile);
    view_.AppendLog(QStringLiteral(" File size：") + QString::number(image_.ImageLen) +
                    QStringLiteral("(Byte)"));
    view_.SetCommand4Enabled(true);
    return true;
}

void ProgramCommands::Command4_Click()
{
    engine_.Request(OpLinkCheck);
    view_.ShowSettingGrid();
    if (view_.Command4Caption() == QLatin1String(kProgramCaption))
        Program();
    else
        Stop();
}

void ProgramCommands::Program()
{
    ShowProgress(view_, image_.ImageFile, 0);
    if (!PortIsOpen()) return;
    if (!FrameLength(view_.FrameLengthText())) {
        view_.AppendLog(QString::fromLatin1(kFrameLengthErrorText));
        return;
    }
    const image::PrepareOptions options{view_.CurrSet(), view_.OrderNumber(),
                                        environment_.now().date()};
    if (image::StampImageInfo(image_.ImageFile, options, params_, image_, engine_.ImageInfo) !=
        image::PrepOk) {
        view_.AppendLog(QString::fromLatin1(kFileOpenErrorText));
        return;
    }
    programmer_.ArmRun();
}

void ProgramCommands::Stop()
{
    programmer_.CancelRun(true);
    ShowProgress(view_, image_.ImageFile, 0);
    view_.AppendLog(QStringLiteral(" Cancel program"));
}

bool ProgramCommands::PortIsOpen() const
{
    try {
        return port_.PortOpen();
    } catch (const SerialError&) {
        return false;
    }
}

}  // namespace devlink
