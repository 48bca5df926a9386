#include "params/GridEditor.h"

#include "common/Numbers.h"
#include "params/GridColors.h"
#include "params/ParamDecoder.h"
#include "params/ParamEncoder.h"
#include "params/ParamValues.h"
#include "params/ProtoRows.h"

#include <QKeyEvent>

namespace params {
namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kListOverlap = 20;  // twips the list overlaps the cell's edge

bool IsAllowedEditorKey(int keyAscii)
{
    return keyAscii == kKeyBackspace || keyAscii == kKeyEnter || keyAscii == '.' ||
           (keyAscii >= '0' && keyAscii <= '9');
}

// The character code a key press types, or -1 for a key that types none (arrows, Home).
int KeyAsciiOf(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Backspace: return kKeyBackspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyEnter;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Delete: return -1;  // edits the text without typing a character
    default: break;
    }
    if (key.text().isEmpty()) {
        // Ctrl with a letter types a control character even where the platform gives no text.
        const bool controlLetter = (key.modifiers() & Qt::ControlModifier) && key.key() >= Qt::Key_A &&
                                   key.key() <= Qt::Key_Z;
        return controlLetter ? key.key() - Qt::Key_A + 1 : -1;
    }
    return key.text().at(0).unicode();
}

}  // namespace

GridEditor::GridEditor(const GridEditorControls& controls, ParamState& state, common::Dialogs& dialogs,
                       GridEditorCallbacks callbacks, QObject* parent)
    : QObject(parent),
      grid_(controls.settingGrid),
      displayGrid_(controls.displayGrid),
      editor_(controls.editor),
      list_(controls.valueList),
      state_(state),
      dialogs_(dialogs),
      callbacks_(std::move(callbacks)),
      wheelHook_(controls.mainWindow, controls.settingGrid)
{
    ConnectGrid(grid_, 0);
    ConnectGrid(displayGrid_, 1);
    connect(list_, &FlexGrid::Click, this, &GridEditor::MSFGList_Click);
    editor_->installEventFilter(this);
}

GridEditor::~GridEditor()
{
    if (editor_) editor_->removeEventFilter(this);
}

void GridEditor::ConnectGrid(FlexGrid* grid, int index)
{
    connect(grid, &FlexGrid::DblClick, this, [this, index] { MSFG_DblClick(index); });
    connect(grid, &FlexGrid::Click, this, [this, index] { MSFG_Click(index); });
    connect(grid, &FlexGrid::Scroll, this, [this, index] { MSFG_Scroll(index); });
    connect(grid, &FlexGrid::MouseMove, this,
            [this, index](int button, int shift, int x, int y) { MSFG_MouseMove(index, button, shift, x, y); });
    connect(grid, &FlexGrid::GotFocus, this, [this, index] { MSFG_GotFocus(index); });
    connect(grid, &FlexGrid::LostFocus, this, [this, index] { MSFG_LostFocus(index); });
}

const ProtoRowRecord* GridEditor::EditedRecord() const
{
    if (editRow_ < 0 || static_cast<size_t>(editRow_) >= state_.SetTable.size()) return nullptr;
    return &state_.SetTable[static_cast<size_t>(editRow_)];
}

void GridEditor::MSFG_DblClick(int index)
{
    if (index != 0 || grid_->Col() != kValueColumn || grid_->Row() < 1) return;
    // A row the setting table does not describe (no table loaded) has nothing to edit.
    if (static_cast<size_t>(grid_->Row()) >= state_.SetTable.size()) return;
    const ProtoRowRecord& row = state_.SetTable[static_cast<size_t>(grid_->Row())];
    if (row.Offset >= 1 && !ValueInsideBuffer(row, state_.SetData.size())) {
        // The table places this value beyond the setting block: nothing could be stored.
        ShowProtocolError();
        return;
    }
    editRow_ = grid_->Row();
    editCol_ = grid_->Col();
    LayEditorOverCell();
    if (EditedRecord()->IsList == 1) OpenValueList();
    else OpenEditor();
}

void GridEditor::LayEditorOverCell()
{
    editorLeft_ = grid_->Left() + grid_->ColPos(editCol_);
    editorTop_ = grid_->Top() + grid_->RowPos(editRow_);
    QPalette palette = editor_->palette();
    palette.setColor(QPalette::Base, ColorFromLong(grid_->CellBackColor()).value_or(Qt::white));
    editor_->setPalette(palette);
    editor_->setText(grid_->TextMatrix(editRow_, editCol_));
    editorWidth_ = grid_->ColWidth(editCol_);
    editorHeight_ = grid_->RowHeight(editRow_);
    editor_->setGeometry(TwipsToPixels(editorLeft_), TwipsToPixels(editorTop_), TwipsToPixels(editorWidth_),
                         TwipsToPixels(editorHeight_));
}

void GridEditor::OpenEditor()
{
    editor_->show();
    editor_->raise();
    ReselectEditorText();
}

void GridEditor::ReselectEditorText()
{
    editor_->setFocus(Qt::OtherFocusReason);
    editor_->selectAll();
}

void GridEditor::OpenValueList()
{
    const QStringList choices = OptionNames(*EditedRecord());
    const int rowHeight = grid_->RowHeight(editRow_);
    list_->SetRows(static_cast<int>(choices.size()));
    list_->SetLeft(editorLeft_);
    list_->SetWidth(editorWidth_);
    list_->SetHeight(list_->Rows() * rowHeight + kListOverlap);
    list_->SetColWidth(0, grid_->ColWidth(editCol_));
    list_->SetCol(0);
    for (int i = 0; i < choices.size(); ++i) {
        list_->SetRow(i);
        list_->SetRowHeight(i, rowHeight);
        list_->SetCellBackColor(kChoiceBackColor);
        list_->SetTextMatrix(i, 0, WithoutTrailingBlanks(choices[i]));
        list_->SetCellAlignment(grid_->CellAlignment());
        list_->SetCellFontSize(grid_->CellFontSize());
    }
    PlaceValueList();
    list_->show();
    list_->ZOrder(0);
}

void GridEditor::PlaceValueList()
{
    // Compared with the grid's height alone, as the editor's top counts from the window.
    if (list_->Height() > grid_->Height() - editorTop_)
        list_->SetTop(editorTop_ - list_->Height() + kListOverlap);
    else
        list_->SetTop(editorTop_ + editorHeight_ - kListOverlap);
}

void GridEditor::InPutTxt_KeyPress(int /*index*/, int& keyAscii)
{
    if (!IsAllowedEditorKey(keyAscii)) {
        keyAscii = 0;
        return;
    }
    if (keyAscii == kKeyEnter) CommitTypedValue();
}

void GridEditor::CommitTypedValue()
{
    const QString text = editor_->text();
    if (!common::IsNumeric(text)) {
        ReselectEditorText();
        return;
    }
    const ProtoRowRecord* row = EditedRecord();
    if (!row || !PassesRangeChecks(text, *row)) return;
    EncodeSetting(text, state_.SetData, state_.SetTable, editRow_, dialogs_);
    editor_->hide();
    MarkCommittedText(text);
    grid_->SetTextMatrix(editRow_, editCol_, text);
    grid_->SetFocus();
}

bool GridEditor::PassesRangeChecks(const QString& text, const ProtoRowRecord& row)
{
    const QStringList limits = SplitLiteral(row.Options, kListSeparator);
    if (limits.size() != 2) {
        ShowProtocolError();
        return false;
    }
    const QString outOfRange = QStringLiteral("设置超出范围，有效范围：");
    const double value = common::ReadNumber(text);
    if (value < common::ReadNumber(limits[0]) || value > common::ReadNumber(limits[1])) {
        dialogs_.Message(outOfRange + limits[0] + "-" + limits[1], QStringLiteral("提示！"),
                         common::MsgIcon::Exclamation, common::MsgButtons::Ok);
        ReselectEditorText();
        return false;
    }
    // Inside the table's limits but beyond what the value's bytes can hold.
    if (!TypedNumberFits(row, value)) {
        const FieldRange field = *TypedFieldRange(row);
        dialogs_.Message(outOfRange + NumberText(field.lowest) + "-" + NumberText(field.highest),
                         QStringLiteral("提示！"), common::MsgIcon::Exclamation, common::MsgButtons::Ok);
        ReselectEditorText();
        return false;
    }
    return true;
}

void GridEditor::ShowProtocolError()
{
    dialogs_.Message(QStringLiteral("解析协议错误！"), QStringLiteral("警告！"), common::MsgIcon::Exclamation,
                     common::MsgButtons::Ok);
}

void GridEditor::MarkCommittedText(const QString& text)
{
    if (grid_->TextMatrix(editRow_, editCol_) != text) {
        grid_->SetCellForeColor(kChangedValueColor);
        if (callbacks_.enableStoreMenu) callbacks_.enableStoreMenu();
    } else {
        grid_->SetCellForeColor(kUnchangedValueColor);
    }
}

void GridEditor::MSFGList_Click()
{
    list_->hide();
    const QString choice = list_->Text();
    MarkCommittedText(choice);
    grid_->SetTextMatrix(editRow_, editCol_, choice);
    EncodeSetting(choice, state_.SetData, state_.SetTable, editRow_, dialogs_);
    grid_->SetFocus();
}

void GridEditor::HideEditorAndList()
{
    editor_->hide();
    list_->hide();
}

void GridEditor::MSFG_Click(int /*index*/) { HideEditorAndList(); }

void GridEditor::MSFG_Scroll(int /*index*/) { HideEditorAndList(); }

void GridEditor::MSFG_MouseMove(int index, int /*button*/, int /*shift*/, int /*x*/, int /*y*/)
{
    const FlexGrid* grid = index == 0 ? grid_ : displayGrid_;
    if (callbacks_.setHintText) callbacks_.setHintText(grid->ToolTipText());
}

void GridEditor::MSFG_GotFocus(int index)
{
    if (index == 0) wheelHook_.Install();
}

void GridEditor::MSFG_LostFocus(int index)
{
    if (index == 0) wheelHook_.Remove();
}

bool GridEditor::HandleEditorKey(const QKeyEvent& key)
{
    int keyAscii = KeyAsciiOf(key);
    if (keyAscii < 0) return false;
    InPutTxt_KeyPress(0, keyAscii);
    return keyAscii == 0 || keyAscii == kKeyEnter;
}

bool GridEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_ && event->type() == QEvent::KeyPress)
        return HandleEditorKey(static_cast<const QKeyEvent&>(*event));
    return false;
}

}  // namespace params
