#pragma once
// The node panel: shows and stores what the selected tree node holds (six text boxes,
// the setting block, the title) and carries setting data between nodes.

#include "common/Dialogs.h"
#include "link/EngineState.h"
#include "params/ParamTypes.h"
#include "project/NodeData.h"
#include "project/ProjectContext.h"

#include <QObject>
#include <array>
#include <functional>

class QAbstractItemView;
class QAction;
class QWidget;

namespace project {

struct NodePanelWidgets {
    TreeView* tree = nullptr;
    // NotesTxt_0..NotesTxt_6: 0 and 1 multi-line (QTextEdit or QPlainTextEdit),
    // 2 to 6 single-line (QLineEdit).
    std::array<QWidget*, 7> notes{};
    // The setting grid MSFG_0; model row 0 is the grid's title row, column 3 the values.
    QAbstractItemView* settingGrid = nullptr;
    QAction* MNodeCut = nullptr;
    QAction* Mcopydata = nullptr;
    QAction* MPaseteData = nullptr;
};

struct NodePanelCallbacks {
    std::function<void(const QString&)> setResultPanel;  // status panel 2
    std::function<void(const QString&)> setHintPanel;    // status panel 3
    std::function<void(bool)> enableStoreEntry;          // picture-menu entry 4
    std::function<void()> fillSettingGrid;               // shows SetData in the setting grid
    std::function<void()> raiseSettingGrid;              // brings the setting grid to the front
};

class NodePanel : public QObject {
    Q_OBJECT
public:
    NodePanel(const NodePanelWidgets& widgets, NodePanelCallbacks callbacks, params::ParamState& params,
              devlink::EngineState& engine, ProjectState& state, common::Dialogs& dialogs,
              QObject* parent = nullptr);

    QString NoteText(int box) const;
    void SetNoteText(int box, const QString& text);

    // Empties NotesTxt 0 to 6.
    void ClearNotes();

    enum class StoreResult {
        Stored,      // the record was written
        NoNode,      // none selected: "请选择对象!" was shown, nothing written
        NotWritten,  // the project file could not be read or written (reported); the
                     // node keeps its record
    };

    // The picture menu's store entry: SetData and boxes 1 to 6 into the selected node.
    StoreResult SaveSelectedNode();

public slots:
    void TreeView_NodeClick(QTreeWidgetItem* node);
    void TreeView_AfterLabelEdit(QTreeWidgetItem* node, const QString& newString, bool* cancel);
    void Mcopydata_Click();
    void MPaseteData_Click();
    void NotesTxt_DblClick(int index);
    void NotesTxt_KeyUp(int index);
    void NotesTxt_MouseMove(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchBox(int index);
    void ClearValueColumn();
    void ShowCheckedBlock(bool clickFlow);
    NodeTexts StoredBoxTexts() const;

    NodePanelWidgets widgets_;
    NodePanelCallbacks callbacks_;
    params::ParamState& params_;
    devlink::EngineState& engine_;
    ProjectContext ctx_;
};

}  // namespace project
