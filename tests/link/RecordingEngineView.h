#pragma once
// Records what the link engine shows.

#include "link/EngineView.h"

#include <QStringList>
#include <functional>
#include <map>
#include <optional>

namespace testlink {

class RecordingEngineView : public devlink::EngineView {
public:
    std::map<int, QStringList> panels;  // every text written, by panel
    std::optional<bool> command3;
    std::optional<bool> command4;
    int setDataShown = 0;
    int dispDataShown = 0;
    std::optional<bool> menuImg4;
    int cellForeBlack = 0;
    QString notesTxt5;
    int versionWindows = 0;
    image::ImageInfoRecord versionInfo;
    std::function<void()> whileVersionWindowOpen;

    void SetPanelText(int panel, const QString& text) override { panels[panel].append(text); }
    void SetCommand3Enabled(bool enabled) override { command3 = enabled; }
    void SetCommand4Enabled(bool enabled) override { command4 = enabled; }
    void ShowSetData() override { ++setDataShown; }
    void ShowDispData() override { ++dispDataShown; }
    void SetMenuImg4Enabled(bool enabled) override { menuImg4 = enabled; }
    void SetSettingCellForeBlack() override { ++cellForeBlack; }
    void SetNotesTxt5(const QString& text) override { notesTxt5 = text; }
    void ShowVersionWindow(const image::ImageInfoRecord& info) override
    {
        ++versionWindows;
        versionInfo = info;
        if (whileVersionWindowOpen) whileVersionWindowOpen();
    }

    QString Last(int panel) const
    {
        const auto it = panels.find(panel);
        return it == panels.end() || it->second.isEmpty() ? QString() : it->second.last();
    }
};

}  // namespace testlink
