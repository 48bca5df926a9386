// The picture menu: the hover frame, the programming guard, the port test of entry 0 and
// the confirmation and store of entry 4.
#include "main/WindowFixture.h"

#include "main/ShapeControl.h"
#include "main/StatusBar.h"

#include "common/LittleEndian.h"
#include "params/FlexGrid.h"
#include "project/ProjectFiles.h"
#include "project/RecordFile.h"
#include "project/TreeOperations.h"
#include "project/TreeView.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace testmain {
namespace {

using common::MsgResult;

class WindowPictureMenuTest : public WindowFixture {
protected:
    bool InFront(int grid) const
    {
        const auto siblings = form->MSFG[0]->parentWidget()->children();
        return siblings.indexOf(form->MSFG[grid]) > siblings.indexOf(form->MSFG[1 - grid]);
    }

    // A setting block whose length field matches a 60-byte table.
    void GiveStampableSettings()
    {
        state.params.ProtoInfo[0].DataLen = 60;
        state.params.SetData.assign(61, 0);
        common::WriteLE<int32_t>(state.params.SetData, 20, 28);
    }

    // A new project "Work.QVR" with one node, selected; its path.
    QString OpenProjectWithASelectedNode()
    {
        const project::ProjectContext context{state.project, *form->TreeView, dialogs};
        const QString path = programFolder.file("Work.QVR");
        EXPECT_TRUE(project::CreateProjectFile(context, path));
        EXPECT_TRUE(project::OpenProjectFile(context, path, "locked", "Hint"));
        project::AddTopNode(context);
        EXPECT_EQ(form->TreeView->Count(), 1);
        form->TreeView->SetSelected(form->TreeView->NodeAt(1));
        dialogs.messages.clear();
        return path;
    }

    // The selected node's record as the project file holds it.
    project::ProjectRecord StoredNode(const QString& path) const
    {
        project::RecordFile file(path, project::RecordFile::Mode::Read);
        project::ProjectRecord node;
        EXPECT_TRUE(file.Read(project::KeyToRecordNo(project::TreeView::KeyOf(form->TreeView->NodeAt(1))), node));
        return node;
    }
};

TEST_F(WindowPictureMenuTest, EveryMouseButtonRequestsTheEntrysOperation)
{
    struct Case {
        int entry;
        uint8_t op;
        int gridInFront;  // -1: unchanged
    } cases[] = {{1, devlink::OpReadSettings, 0}, {2, devlink::OpUpdateSettings, 0},
                 {3, devlink::OpSaveSettings, 0}, {5, devlink::OpReadDisplay, 1},
                 {6, devlink::OpReadImageInfo, -1}};
    auto& form = Load();
    for (const Case& c : cases) {
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            SCOPED_TRACE(c.entry);
            state.engine.Request(devlink::OpLinkCheck);
            form.MSFG[c.gridInFront == 1 ? 0 : 1]->raise();
            Click(form.MenuImg[c.entry], button);
            EXPECT_EQ(state.engine.Requested(), c.op);
            if (c.gridInFront >= 0) EXPECT_TRUE(InFront(c.gridInFront));
            else EXPECT_TRUE(InFront(1));
            EXPECT_EQ(form.SB->Panel(3), form.MenuImg[c.entry]->toolTip());
            EXPECT_EQ(form.Shape2->y(), form.MenuImg[c.entry]->y());
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WindowPictureMenuTest, HoverFrameFollowsTheMouseAndShowsThePressedLook)
{
    auto& form = Load();
    SendMouse(form.MenuImg[5], QEvent::MouseMove);
    EXPECT_EQ(form.Shape2->y(), form.MenuImg[5]->y());
    EXPECT_EQ(form.SB->Panel(3), "显示运行参数");
    SendMouse(form.MenuImg[5], QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(form.Shape2->BorderWidth(), 2);
    SendMouse(form.MenuImg[5], QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(form.Shape2->BorderWidth(), 1);
}

TEST_F(WindowPictureMenuTest, WhileProgrammingRunsTheDeviceEntriesDoNothing)
{
    auto& form = Load();
    port.open = true;
    state.engine.Request(devlink::OpProgram);
    for (int entry : {0, 1, 2, 3, 5, 6}) Click(form.MenuImg[entry]);
    EXPECT_EQ(state.engine.Requested(), devlink::OpProgram);
    // Entry 0 still asks first; its guard is tested after the answer.
    EXPECT_EQ(dialogs.MessageTexts(), QStringList({"确认擦除设置参数，恢复默认设置吗？"}));
}

TEST_F(WindowPictureMenuTest, EraseNeedsAnOpenPortAndAConfirmation)
{
    auto& form = Load();
    Click(form.MenuImg[0]);
    EXPECT_EQ(form.SB->Panel(1), "请先打开串口！");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(state.engine.Requested(), devlink::OpLinkCheck);

    port.open = true;
    form.MSFG[1]->raise();
    dialogs.messageAnswers = {MsgResult::No};
    Click(form.MenuImg[0]);
    EXPECT_EQ(state.engine.Requested(), devlink::OpLinkCheck);
    EXPECT_TRUE(InFront(1));

    dialogs.messageAnswers = {MsgResult::Yes};
    Click(form.MenuImg[0]);
    EXPECT_EQ(state.engine.Requested(), devlink::OpEraseSettings);
    EXPECT_TRUE(InFront(0));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "确认擦除设置参数，恢复默认设置吗？");
    EXPECT_EQ(dialogs.messages[1].title, "警告");
    EXPECT_EQ(dialogs.messages[1].icon, common::MsgIcon::Exclamation);
    EXPECT_EQ(dialogs.messages[1].buttons, common::MsgButtons::YesNo);
}

TEST_F(WindowPictureMenuTest, StoreAnsweredNoKeepsTheFrameAndDisablesTheEntry)
{
    auto& form = Load();
    form.MenuImg[4]->setEnabled(true);
    dialogs.messageAnswers = {MsgResult::No};
    Click(form.MenuImg[4]);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "确认保存新数据到数据库！");
    EXPECT_EQ(dialogs.messages[0].title, "提示");
    EXPECT_EQ(dialogs.messages[0].icon, common::MsgIcon::Exclamation);
    EXPECT_EQ(dialogs.messages[0].buttons, common::MsgButtons::YesNo);
    EXPECT_EQ(form.SB->Panel(2), "放弃数据保存");
    EXPECT_FALSE(form.MenuImg[4]->isEnabled());
    EXPECT_FALSE(form.Shape2->isHidden());
}

TEST_F(WindowPictureMenuTest, StoreStampsTheBlockAndHidesTheFrame)
{
    auto& form = Load();
    GiveStampableSettings();
    state.params.SetData[40] = 0x5A;
    state.engine.Request(devlink::OpProgram);  // the store has no programming guard
    form.MenuImg[4]->setEnabled(true);
    Click(form.MenuImg[4]);
    // No node is selected: the store says so itself, nothing is stored, and the entry
    // stays for another try.
    EXPECT_EQ(dialogs.MessageTexts(), QStringList({"确认保存新数据到数据库！", "请选择对象!"}));
    EXPECT_EQ(form.SB->Panel(2), "数据未保存");
    EXPECT_NE(state.params.SetData[28] | state.params.SetData[29], 0);
    EXPECT_TRUE(form.Shape2->isHidden());
    EXPECT_TRUE(form.MenuImg[4]->isEnabled());
}

TEST_F(WindowPictureMenuTest, StoreWritesTheSettingsAndRemarksIntoTheSelectedNode)
{
    auto& form = Load();
    const QString path = OpenProjectWithASelectedNode();
    GiveStampableSettings();
    state.params.SetData[50] = 0x77;
    static_cast<QLineEdit*>(form.NotesTxt[6])->setText("R1");
    form.MenuImg[4]->setEnabled(true);
    Click(form.MenuImg[4]);

    EXPECT_EQ(dialogs.MessageTexts(), QStringList({"确认保存新数据到数据库！"}));
    EXPECT_EQ(form.SB->Panel(2), "全部数据已保存");
    const project::ProjectRecord node = StoredNode(path);
    EXPECT_EQ(node.Text(project::RemarkInfo), "R1");
    common::Bytes stored(61, 0);
    node.LoadSettings(stored, 60);
    EXPECT_EQ(stored[50], 0x77);
    EXPECT_EQ(stored[28], state.params.SetData[28]);
    EXPECT_EQ(stored[29], state.params.SetData[29]);
}

// Needs file permissions to hold: run as an unprivileged user (scripts/unprivileged-tests.sh).
TEST_F(WindowPictureMenuTest, AStoreIntoAProjectThatCannotBeWrittenSaysSoAndCanBeTriedAgain)
{
    auto& form = Load();
    const QString path = OpenProjectWithASelectedNode();
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    if (QFileInfo(path).isWritable()) GTEST_SKIP() << "running with rights that ignore file permissions";
    const QByteArray before = programFolder.read(path);
    GiveStampableSettings();
    state.params.SetData[50] = 0x77;
    static_cast<QLineEdit*>(form.NotesTxt[6])->setText("R1");
    form.MenuImg[4]->setEnabled(true);

    for (int attempt = 1; attempt <= 2; ++attempt) {
        Click(form.MenuImg[4]);  // a disabled entry would not even ask
        ASSERT_EQ(dialogs.MessageTexts().size(), 2 * attempt);
        EXPECT_EQ(dialogs.MessageTexts().last(), "工程文件读写失败！");
        EXPECT_EQ(form.SB->Panel(2), "数据未保存");
        EXPECT_TRUE(form.MenuImg[4]->isEnabled());
        EXPECT_EQ(programFolder.read(path), before);
    }
    EXPECT_EQ(state.params.SetData[50], 0x77);
    EXPECT_EQ(static_cast<QLineEdit*>(form.NotesTxt[6])->text(), "R1");

    // Writable again: the same entry stores what was kept in the window.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    dialogs.messages.clear();
    Click(form.MenuImg[4]);
    EXPECT_EQ(dialogs.MessageTexts(), QStringList({"确认保存新数据到数据库！"}));
    EXPECT_EQ(form.SB->Panel(2), "全部数据已保存");
    EXPECT_FALSE(form.MenuImg[4]->isEnabled());
    const project::ProjectRecord node = StoredNode(path);
    EXPECT_EQ(node.Text(project::RemarkInfo), "R1");
    common::Bytes stored(61, 0);
    node.LoadSettings(stored, 60);
    EXPECT_EQ(stored[50], 0x77);
}

TEST_F(WindowPictureMenuTest, StoreOfABlockWithAWrongLengthSaysOnlyTheRemarksWereSaved)
{
    auto& form = Load();
    OpenProjectWithASelectedNode();
    state.params.ProtoInfo[0].DataLen = 60;
    state.params.SetData.assign(61, 0);  // length field 0
    form.MenuImg[4]->setEnabled(true);
    Click(form.MenuImg[4]);
    EXPECT_EQ(form.SB->Panel(2), "备注信息已保存");
    EXPECT_EQ(state.params.SetData, common::Bytes(61, 0));
}

TEST_F(WindowPictureMenuTest, DisabledStoreEntryIgnoresTheMouse)
{
    auto& form = Load();
    SendMouse(form.MenuImg[1], QEvent::MouseMove);
    Click(form.MenuImg[4]);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form.SB->Panel(3), "读取控制器当前设置参数");
    EXPECT_EQ(form.Shape2->y(), form.MenuImg[1]->y());
}

}  // namespace
}  // namespace testmain
