#pragma once
// The programming frame's two buttons: Load File (Command3) chooses the image, and
// Program/Stop (Command4) prepares it and arms chip programming, or stops it.

#include "common/DateText.h"
#include "common/Dialogs.h"
#include "image/ImageTypes.h"
#include "link/ChipProgrammer.h"
#include "link/EngineState.h"
#include "link/ProgrammingView.h"
#include "link/SerialPort.h"
#include "params/ParamTypes.h"

namespace devlink {

extern const char* const kLoadImageFilter;  // "File(*.BIN)|*.BIN"

// The folder Load File starts in: the node's program file's folder (the text up to its
// last "\" or "/") when that file exists, else "" (no start folder).
QString LoadStartFolder(const QString& nodeProgramFile);

class ProgramCommands {
public:
    ProgramCommands(EngineState& engine, ChipProgrammer& programmer, image::ImageState& image,
                    params::ParamState& params, SerialPort& port, ProgrammingView& view,
                    common::Dialogs& dialogs, const common::AppEnvironment& environment);

    // Load File: ImageFile and ImageLen from the chosen file; ends any running operation.
    void Command3_Click();
    // Program: prepares the image and arms operation 1. Stop: ends the run.
    void Command4_Click();

private:
    void ForgetImage();
    // Measures the chosen file and takes it as ImageFile; false when it cannot be opened.
    bool TakeImageFile(const QString& chosen);
    void Program();
    void Stop();
    bool PortIsOpen() const;

    EngineState& engine_;
    ChipProgrammer& programmer_;
    image::ImageState& image_;
    params::ParamState& params_;
    SerialPort& port_;
    ProgrammingView& view_;
    common::Dialogs& dialogs_;
    const common::AppEnvironment& environment_;
};

}  // namespace devlink
