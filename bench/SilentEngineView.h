#pragma once
// An engine view that shows nothing, for runs measured without a window.

#include "link/EngineView.h"

class SilentEngineView : public devlink::EngineView {
public:
    void SetPanelText(int, const QString&) override {}
    void SetCommand3Enabled(bool) override {}
    void SetCommand4Enabled(bool) override {}
    void ShowSetData() override {}
    void ShowDispData() override {}
    void SetMenuImg4Enabled(bool) override {}
    void SetSettingCellForeBlack() override {}
    void SetNotesTxt5(const QString&) override {}
    void ShowVersionWindow(const image::ImageInfoRecord&) override {}
};
