// The picture menu: seven entries that request setting operations from the link engine
// or store the settings into the selected project node, and the frame following the mouse.
#include "main/ViewForm.h"

#include "main/ShapeControl.h"
#include "main/StatusBar.h"
#include "main/WindowLook.h"

#include "common/Dialogs.h"
#include "link/SerialPort.h"
#include "params/SettingsBlock.h"
#include "project/NodePanel.h"

#include <QEvent>
#include <QLabel>

namespace mainwin {

namespace {

constexpr std::array<int, 7> kEntryTopsTwips{240, 1200, 2120, 3120, 4080, 5100, 6120};
constexpr int kEntryErase = 0;
constexpr int kEntryStore = 4;
constexpr int kSettingGrid = 0;
constexpr int kDisplayGrid = 1;

// Hands the mouse events of the enabled entries to the window's handlers.
class PictureMenuMouse : public QObject {
public:
    PictureMenuMouse(ViewForm& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const int index = EntryIndex(watched);
        if (index < 0 || !form_.MenuImg[index]->isEnabled()) return false;
        switch (event->type()) {
        case QEvent::MouseMove: form_.MenuImg_MouseMove(index); break;
        case QEvent::MouseButtonPress: form_.MenuImg_MouseDown(index); break;
        case QEvent::MouseButtonRelease: form_.MenuImg_MouseUp(index); break;
        default: break;
        }
        return false;
    }

private:
    int EntryIndex(QObject* watched) const
    {
        for (int i = 0; i < int(form_.MenuImg.size()); ++i)
            if (form_.MenuImg[i] == watched) return i;
        return -1;
    }

    ViewForm& form_;
};

}  // namespace

void ViewForm::ConnectPictureMenu()
{
    pictureMouse_ = new PictureMenuMouse(*this);
    for (QLabel* entry : MenuImg) entry->installEventFilter(pictureMouse_);
}

void ViewForm::MenuImg_MouseMove(int index)
{
    Shape2->move(Shape2->x(), Px(kEntryTopsTwips.at(index)));
    Shape2->setVisible(true);
    SB->SetPanel(3, MenuImg.at(index)->toolTip());
}

void ViewForm::MenuImg_MouseDown(int) { Shape2->SetBorderWidth(2); }

void ViewForm::MenuImg_MouseUp(int index)
{
    Shape2->SetBorderWidth(1);
    switch (index) {
    case kEntryErase: EraseSettings_Click(); break;
    case 1: RequestSettingOperation(devlink::OpReadSettings, kSettingGrid); break;
    case 2: RequestSettingOperation(devlink::OpUpdateSettings, kSettingGrid); break;
    case 3: RequestSettingOperation(devlink::OpSaveSettings, kSettingGrid); break;
    case kEntryStore: StoreIntoNode_Click(); break;
    case 5: RequestSettingOperation(devlink::OpReadDisplay, kDisplayGrid); break;
    case 6: RequestSettingOperation(devlink::OpReadImageInfo, -1); break;
    default: break;
    }
}

bool ViewForm::ProgrammingRuns() const { return state_.engine.Requested() == devlink::OpProgram; }

// Writes the request unless a programming run owns the link; `gridInFront` -1 leaves the
// grids as they are.
void ViewForm::RequestSettingOperation(uint8_t op, int gridInFront)
{
    if (ProgrammingRuns()) return;
    if (gridInFront >= 0) BringGridToFront(gridInFront);
    state_.engine.Request(op);
}

void ViewForm::EraseSettings_Click()
{
    if (!MBMC_.PortOpen()) {
        SB->SetPanel(1, QStringLiteral("请先打开串口！"));
        return;
    }
    const auto answer = dialogs_.Message(QStringLiteral("确认擦除设置参数，恢复默认设置吗？"),
                                         QStringLiteral("警告"), common::MsgIcon::Exclamation,
                                         common::MsgButtons::YesNo);
    // The guard is tested after the answer: ticks run on behind the question.
    if (answer == common::MsgResult::Yes)
        RequestSettingOperation(devlink::OpEraseSettings, kSettingGrid);
}

void ViewForm::StoreIntoNode_Click()
{
    const auto answer = dialogs_.Message(QStringLiteral("确认保存新数据到数据库！"), QStringLiteral("提示"),
                                         common::MsgIcon::Exclamation, common::MsgButtons::YesNo);
    if (answer != common::MsgResult::Yes) {
        SB->SetPanel(2, QStringLiteral("放弃数据保存"));
        MenuImg[kEntryStore]->setEnabled(false);
        return;
    }
    const int stamped = params::StampBlockCrc(state_.params.SetData, state_.params.ProtoInfo[0]);
    const auto stored = nodePanel_->SaveSelectedNode();
    Shape2->setVisible(false);
    if (stored != project::NodePanel::StoreResult::Stored) {
        // No node took the data, or the file kept its record: the entry stays for another
        // try, the data with it.
        SB->SetPanel(2, QStringLiteral("数据未保存"));
        return;
    }
    if (stamped < 1) {
        SB->SetPanel(2, QStringLiteral("全部数据已保存"));
    } else {
        SB->SetPanel(2, QStringLiteral("设置数据校验无效"));
        SB->SetPanel(2, QStringLiteral("备注信息已保存"));
    }
    MenuImg[kEntryStore]->setEnabled(false);
}

}  // namespace mainwin
