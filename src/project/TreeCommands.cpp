#include "project/TreeCommands.h"

#include "project/ProjectMessages.h"
#include "project/TreeLinks.h"
#include "project/TreeOperations.h"

#include <QAction>
#include <QMenu>

namespace project {

TreeCommands::TreeCommands(const TreeCommandWidgets& widgets, TreeCommandCallbacks callbacks,
                           ProjectState& state, common::Dialogs& dialogs, QObject* parent)
    : QObject(parent), widgets_(widgets), callbacks_(std::move(callbacks)), ctx_{state, *widgets.tree, dialogs}
{
    widgets_.tree->setToolTip(msg::TreeHint);
    SetPasteEnabled(false);
    const auto wire = [this](QAction* action, void (TreeCommands::*slot)()) {
        if (action) connect(action, &QAction::triggered, this, slot);
    };
    wire(widgets_.MAddRecord, &TreeCommands::MAddRecord_Click);
    wire(widgets_.Maddsub, &TreeCommands::Maddsub_Click);
    wire(widgets_.Minsertback, &TreeCommands::Minsertback_Click);
    wire(widgets_.Mdelect, &TreeCommands::Mdelect_Click);
    wire(widgets_.MNodeCut, &TreeCommands::MNodeCut_Click);
    wire(widgets_.MnodePast, &TreeCommands::MnodePast_Click);
    connect(widgets_.tree, &TreeView::NodeExpand, this, &TreeCommands::TreeView_Expand);
    connect(widgets_.tree, &TreeView::NodeCollapse, this, &TreeCommands::TreeView_Collapse);
    connect(widgets_.tree, &TreeView::TreeMouseMove, this, &TreeCommands::TreeView_MouseMove);
    connect(widgets_.tree, &TreeView::TreeMouseUp, this, &TreeCommands::TreeView_MouseUp);
}

void TreeCommands::SetPasteEnabled(bool enabled)
{
    if (widgets_.MnodePast) widgets_.MnodePast->setEnabled(enabled);
}

// The shared body of the four adding and deleting entries: any pending cut is dropped.
void TreeCommands::RunTreeEdit(void (*operation)(const ProjectContext&))
{
    ctx_.state.TreeBusy = true;
    SetPasteEnabled(false);
    ctx_.state.CutNodeKey.clear();
    operation(ctx_);
    ctx_.state.TreeBusy = false;
}

void TreeCommands::MAddRecord_Click() { RunTreeEdit(&AddTopNode); }
void TreeCommands::Maddsub_Click() { RunTreeEdit(&AddChildNode); }
void TreeCommands::Minsertback_Click() { RunTreeEdit(&InsertNodeBefore); }
void TreeCommands::Mdelect_Click() { RunTreeEdit(&DeleteNode); }

void TreeCommands::MNodeCut_Click()
{
    const QTreeWidgetItem* selected = ctx_.tree.SelectedItem();
    if (!selected) {
        ctx_.Hint(msg::NoNodeSelected);
        return;
    }
    ctx_.state.TreeBusy = true;
    ctx_.state.CutNodeKey = TreeView::KeyOf(selected);
    SetPasteEnabled(true);
    ctx_.state.TreeBusy = false;
}

void TreeCommands::MnodePast_Click()
{
    ctx_.state.TreeBusy = true;
    PasteNode(ctx_);
    ctx_.state.TreeBusy = false;
    ctx_.state.CutNodeKey.clear();
    SetPasteEnabled(false);
}

void TreeCommands::StoreExpandedState(QTreeWidgetItem* node)
{
    if (ctx_.state.TreeBusy || !node) return;
    const int32_t recordNo = RecordOf(node);
    SetNodeExpanded(ctx_, recordNo, node->isExpanded() ? -1 : 0);
}

void TreeCommands::TreeView_Expand(QTreeWidgetItem* node) { StoreExpandedState(node); }
void TreeCommands::TreeView_Collapse(QTreeWidgetItem* node) { StoreExpandedState(node); }

void TreeCommands::TreeView_MouseMove()
{
    if (callbacks_.hideGridEditor) callbacks_.hideGridEditor();
    if (callbacks_.setHintPanel) callbacks_.setHintPanel(ctx_.tree.toolTip());
}

void TreeCommands::TreeView_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint position)
{
    if (button != Qt::RightButton) return;
    const bool hasNodes = ctx_.tree.Count() != 0;
    if (widgets_.Minsertback) widgets_.Minsertback->setEnabled(hasNodes);
    if (widgets_.Mdelect) widgets_.Mdelect->setEnabled(hasNodes);
    if (ctx_.state.ProjectOpen && widgets_.Medite)
        widgets_.Medite->popup(ctx_.tree.viewport()->mapToGlobal(position));
}

}  // namespace project
