#pragma once
// Editing setting values in place: a double-click on a value cell of the setting grid
// opens the text editor over the cell (typed rows) or the drop-down value list (list
// rows); a commit encodes the value into the setting block and marks a changed cell red.
// The same handlers cancel on a click or scroll, copy the grids' hints to the status bar
// and, while the setting grid has the focus, turn single wheel notches into page keys.
//
// The main window creates the controls; the editor connects itself to their events.

#include "common/Dialogs.h"
#include "params/FlexGrid.h"
#include "params/GridColors.h"
#include "params/GridWheelHook.h"
#include "params/ParamTypes.h"

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <functional>

namespace params {

struct GridEditorControls {
    FlexGrid* settingGrid = nullptr;  // MSFG_0
    FlexGrid* displayGrid = nullptr;  // MSFG_1
    QLineEdit* editor = nullptr;      // InPutTxt_0, a sibling of the grids
    FlexGrid* valueList = nullptr;    // MSFGList, a sibling of the grids
    QWidget* mainWindow = nullptr;    // gets the wheel events the grids pass on
};

struct GridEditorCallbacks {
    std::function<void(const QString&)> setHintText;  // status panel 3
    std::function<void()> enableStoreMenu;            // MenuImg(4) enabled
};

// Colours of committed values and of the value list's rows.
inline constexpr int32_t kChangedValueColor = RGB(250, 0, 0);
inline constexpr int32_t kUnchangedValueColor = RGB(0, 0, 0);
inline constexpr int32_t kChoiceBackColor = RGB(150, 100, 100);

class GridEditor : public QObject {
    Q_OBJECT
public:
    GridEditor(const GridEditorControls& controls, ParamState& state, common::Dialogs& dialogs,
               GridEditorCallbacks callbacks, QObject* parent = nullptr);
    ~GridEditor() override;

    // The handlers, each also connected to its control's event by the constructor.
    void MSFG_DblClick(int index);
    void InPutTxt_KeyPress(int index, int& keyAscii);  // keyAscii 0 on return: discarded
    void MSFGList_Click();
    void MSFG_Click(int index);
    void MSFG_Scroll(int index);
    void MSFG_MouseMove(int index, int button, int shift, int x, int y);
    void MSFG_GotFocus(int index);
    void MSFG_LostFocus(int index);

    int EditRow() const { return editRow_; }
    int EditCol() const { return editCol_; }
    bool WheelHookInstalled() const { return wheelHook_.Installed(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectGrid(FlexGrid* grid, int index);
    void LayEditorOverCell();
    void OpenEditor();
    void OpenValueList();
    void PlaceValueList();
    void CommitTypedValue();
    bool PassesRangeChecks(const QString& text, const ProtoRowRecord& row);
    void ReselectEditorText();
    void ShowProtocolError();
    void MarkCommittedText(const QString& text);
    void HideEditorAndList();
    bool HandleEditorKey(const QKeyEvent& key);
    const ProtoRowRecord* EditedRecord() const;

    FlexGrid* grid_;
    FlexGrid* displayGrid_;
    QPointer<QLineEdit> editor_;
    FlexGrid* list_;
    ParamState& state_;
    common::Dialogs& dialogs_;
    GridEditorCallbacks callbacks_;
    GridWheelHook wheelHook_;

    int editRow_ = 0;
    int editCol_ = 0;
    // The editor's place in twips, as laid over the cell.
    int editorLeft_ = 0;
    int editorTop_ = 0;
    int editorWidth_ = 0;
    int editorHeight_ = 0;
};

}  // namespace params
