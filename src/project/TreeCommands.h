#pragma once
// The Edit menu as the tree's pop-up, the node cut and paste, and storing the tree's
// expand and collapse state.

#include "common/Dialogs.h"
#include "project/ProjectContext.h"

#include <QObject>
#include <QPoint>
#include <functional>

class QAction;
class QMenu;

namespace project {

struct TreeCommandWidgets {
    TreeView* tree = nullptr;
    QMenu* Medite = nullptr;  // the Edit menu, shown only as the tree's pop-up
    QAction* MAddRecord = nullptr;
    QAction* Maddsub = nullptr;
    QAction* Minsertback = nullptr;
    QAction* Mdelect = nullptr;
    QAction* MNodeCut = nullptr;
    QAction* MnodePast = nullptr;
};

struct TreeCommandCallbacks {
    std::function<void(const QString&)> setHintPanel;  // status panel 3
    std::function<void()> hideGridEditor;             // hides the in-grid value editor
};

class TreeCommands : public QObject {
    Q_OBJECT
public:
    TreeCommands(const TreeCommandWidgets& widgets, TreeCommandCallbacks callbacks, ProjectState& state,
                 common::Dialogs& dialogs, QObject* parent = nullptr);

public slots:
    void MAddRecord_Click();
    void Maddsub_Click();
    void Minsertback_Click();
    void Mdelect_Click();
    void MNodeCut_Click();
    void MnodePast_Click();
    void TreeView_Expand(QTreeWidgetItem* node);
    void TreeView_Collapse(QTreeWidgetItem* node);
    void TreeView_MouseMove();
    void TreeView_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);

private:
    void RunTreeEdit(void (*operation)(const ProjectContext&));
    void StoreExpandedState(QTreeWidgetItem* node);
    void SetPasteEnabled(bool enabled);

    TreeCommandWidgets widgets_;
    TreeCommandCallbacks callbacks_;
    ProjectContext ctx_;
};

}  // namespace project
