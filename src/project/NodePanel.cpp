#include "project/NodePanel.h"

#include "params/SettingsBlock.h"
#include "project/ProjectMessages.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAction>
#include <QColor>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

namespace project {
namespace {

constexpr int kValueColumn = 3;
constexpr int kProgramFileBox = 2;
const std::array<QString, 7> kBoxHints{QString(),
                                       QStringLiteral("最多512个字"),
                                       QStringLiteral("双击选择目标文件"),
                                       QStringLiteral("保留"),
                                       QStringLiteral("保留"),
                                       QString(),
                                       QStringLiteral("最多5个字")};

}  // namespace

NodePanel::NodePanel(const NodePanelWidgets& widgets, NodePanelCallbacks callbacks,
                     params::ParamState& params, devlink::EngineState& engine, ProjectState& state,
                     common::Dialogs& dialogs, QObject* parent)
    : QObject(parent),
      widgets_(widgets),
      callbacks_(std::move(callbacks)),
      params_(params),
      engine_(engine),
      ctx_{state, *widgets.tree, dialogs}
{
    for (int i = 0; i < static_cast<int>(widgets_.notes.size()); ++i) WatchBox(i);
    connect(widgets_.tree, &TreeView::NodeClick, this, &NodePanel::TreeView_NodeClick);
    connect(widgets_.tree, &TreeView::AfterLabelEdit, this, &NodePanel::TreeView_AfterLabelEdit);
    if (widgets_.Mcopydata) connect(widgets_.Mcopydata, &QAction::triggered, this, &NodePanel::Mcopydata_Click);
    if (widgets_.MPaseteData) {
        widgets_.MPaseteData->setEnabled(false);
        connect(widgets_.MPaseteData, &QAction::triggered, this, &NodePanel::MPaseteData_Click);
    }
}

void NodePanel::WatchBox(int index)
{
    QWidget* box = widgets_.notes[static_cast<size_t>(index)];
    if (!box) return;
    box->setToolTip(kBoxHints[static_cast<size_t>(index)]);
    box->setMouseTracking(true);
    box->installEventFilter(this);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(box)) {
        area->viewport()->setMouseTracking(true);
        area->viewport()->installEventFilter(this);
    }
}

bool NodePanel::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 0; i < static_cast<int>(widgets_.notes.size()); ++i) {
        QWidget* box = widgets_.notes[static_cast<size_t>(i)];
        if (!box) continue;
        const auto* area = qobject_cast<QAbstractScrollArea*>(box);
        if (watched != box && !(area && watched == area->viewport())) continue;
        switch (event->type()) {
        case QEvent::KeyRelease: NotesTxt_KeyUp(i); break;
        case QEvent::MouseButtonDblClick: NotesTxt_DblClick(i); break;
        case QEvent::MouseMove: NotesTxt_MouseMove(i); break;
        default: break;
        }
        break;
    }
    return QObject::eventFilter(watched, event);
}

QString NodePanel::NoteText(int box) const
{
    const QWidget* w = widgets_.notes[static_cast<size_t>(box)];
    if (const auto* line = qobject_cast<const QLineEdit*>(w)) return line->text();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return plain->toPlainText();
    if (const auto* rich = qobject_cast<const QTextEdit*>(w)) return rich->toPlainText();
    return QString();
}

void NodePanel::SetNoteText(int box, const QString& text)
{
    QWidget* w = widgets_.notes[static_cast<size_t>(box)];
    if (auto* line = qobject_cast<QLineEdit*>(w)) line->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(w)) rich->setPlainText(text);
}

void NodePanel::ClearNotes()
{
    for (int i = 0; i < static_cast<int>(widgets_.notes.size()); ++i) SetNoteText(i, QString());
}

NodeTexts NodePanel::StoredBoxTexts() const
{
    NodeTexts texts;
    for (size_t i = 0; i < texts.size(); ++i) texts[i] = NoteText(static_cast<int>(i) + 1);
    return texts;
}

NodePanel::StoreResult NodePanel::SaveSelectedNode()
{
    const TreeView::Node* node = widgets_.tree->SelectedItem();
    if (SaveNodeNotes(ctx_, node, params_, StoredBoxTexts())) return StoreResult::Stored;
    return node ? StoreResult::NotWritten : StoreResult::NoNode;
}

void NodePanel::ClearValueColumn()
{
    QAbstractItemView* grid = widgets_.settingGrid;
    if (!grid || !grid->model()) return;
    QAbstractItemModel* model = grid->model();
    if (model->columnCount() <= kValueColumn) return;
    const int rows = model->rowCount();
    for (int row = 1; row < rows; ++row) {
        const QModelIndex cell = model->index(row, kValueColumn);
        model->setData(cell, QColor(0, 0, 0), Qt::ForegroundRole);
        model->setData(cell, QString(), Qt::DisplayRole);
    }
}

// After a node click or a data paste: an intact block is shown and the link falls back
// to polling; a block that fails the check is only reported.
void NodePanel::ShowCheckedBlock(bool clickFlow)
{
    if (params::CheckBlockCrc(params_.SetData, params_.ProtoInfo[0]) != 0) {
        if (callbacks_.setResultPanel) callbacks_.setResultPanel(msg::DataInvalid);
        return;
    }
    if (callbacks_.setResultPanel) callbacks_.setResultPanel(msg::DataValid);
    if (callbacks_.fillSettingGrid) callbacks_.fillSettingGrid();
    engine_.Request(devlink::OpLinkCheck);
    if (callbacks_.raiseSettingGrid) callbacks_.raiseSettingGrid();
    if (!clickFlow && callbacks_.enableStoreEntry) callbacks_.enableStoreEntry(true);
}

void NodePanel::TreeView_NodeClick(QTreeWidgetItem* node)
{
    if (!node) return;
    ClearValueColumn();
    if (widgets_.MNodeCut) widgets_.MNodeCut->setEnabled(true);
    NodeTexts texts;
    if (!ShowNodeNotes(ctx_, node, params_, texts)) return;
    SetNoteText(0, QString());
    for (size_t i = 0; i < texts.size(); ++i) SetNoteText(static_cast<int>(i) + 1, texts[i]);
    ShowCheckedBlock(true);
}

void NodePanel::TreeView_AfterLabelEdit(QTreeWidgetItem* node, const QString& newString, bool* cancel)
{
    // The tree raises this only for a committed edit, an emptied label included; an edit
    // left with Escape raises nothing, so it cannot reach the stored title.
    if (cancel) *cancel = !RenameNode(ctx_, node, newString);
}

void NodePanel::Mcopydata_Click()
{
    const size_t count = std::min(static_cast<size_t>(params_.ProtoInfo[0].DataLen) + 1, params_.SetData.size());
    ctx_.state.SetDataClip.assign(params_.SetData.begin(), params_.SetData.begin() + static_cast<long>(count));
    if (widgets_.MPaseteData) widgets_.MPaseteData->setEnabled(true);
}

void NodePanel::MPaseteData_Click()
{
    const common::Bytes& clip = ctx_.state.SetDataClip;
    if (clip.empty()) return;
    std::copy_n(clip.begin(), std::min(clip.size(), params_.SetData.size()), params_.SetData.begin());
    if (widgets_.MPaseteData) widgets_.MPaseteData->setEnabled(false);
    ShowCheckedBlock(false);
}

void NodePanel::NotesTxt_DblClick(int index)
{
    if (index != kProgramFileBox) return;
    const QString chosen =
        ctx_.dialogs.OpenFileName(QString(), QStringLiteral("文件(*.BIN)|*.BIN"), QString());
    if (chosen.isEmpty()) return;
    SetNoteText(kProgramFileBox, chosen);
    if (callbacks_.enableStoreEntry) callbacks_.enableStoreEntry(true);
}

void NodePanel::NotesTxt_KeyUp(int)
{
    if (callbacks_.enableStoreEntry) callbacks_.enableStoreEntry(true);
}

void NodePanel::NotesTxt_MouseMove(int index)
{
    if (!callbacks_.setHintPanel) return;
    const QWidget* box = widgets_.notes[static_cast<size_t>(index)];
    callbacks_.setHintPanel(box ? box->toolTip() : QString());
}

}  // namespace project
