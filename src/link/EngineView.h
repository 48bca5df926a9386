#pragma once
// What the link engine shows in the main window. The window implements it; tests
// record the calls.

#include "image/ImageTypes.h"

#include <QString>

namespace devlink {

constexpr int kPanelLink = 1;    // status-bar panel 1: port and link state
constexpr int kPanelResult = 2;  // panel 2: result of the last operation
constexpr int kPanelHint = 3;    // panel 3: hints

class EngineView {
public:
    virtual ~EngineView() = default;

    // Status-bar panel 1..3 (SB.Panels(panel).Text).
    virtual void SetPanelText(int panel, const QString& text) = 0;
    // Command3 (Load File) and Command4 (Program), their Enabled.
    virtual void SetCommand3Enabled(bool enabled) = 0;
    virtual void SetCommand4Enabled(bool enabled) = 0;
    // FillParamGrid: SetData in the setting grid MSFG(0), DispData in the display grid MSFG(1).
    virtual void ShowSetData() = 0;
    virtual void ShowDispData() = 0;
    // MenuImg(4) (store the settings into the project), its Enabled.
    virtual void SetMenuImg4Enabled(bool enabled) = 0;
    // The setting grid's CellForeColor back to black after the block was written.
    virtual void SetSettingCellForeBlack() = 0;
    // NotesTxt(5), the order number box.
    virtual void SetNotesTxt5(const QString& text) = 0;
    // BitInfForm filled from the record and shown modally; returns when it is closed.
    virtual void ShowVersionWindow(const image::ImageInfoRecord& info) = 0;
};

}  // namespace devlink
