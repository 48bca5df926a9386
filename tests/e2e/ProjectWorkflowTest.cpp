// A day's work with the real window against the stand-in controller on a pseudo-terminal:
// the board's settings are read with the picture menu, stored into a project node, edited
// in the grid and sent to the board's RAM, where the display read finds them; the node
// still holds what was stored.
#include "DevsimFixture.h"
#include "GridEditing.h"

#include "main/AppState.h"
#include "main/StatusBar.h"
#include "main/ViewForm.h"
#include "main/WindowTables.h"

#include "common/DateText.h"
#include "params/FlexGrid.h"
#include "params/SettingsBlock.h"
#include "project/NodeData.h"
#include "project/NodePanel.h"
#include "project/ProjectFiles.h"
#include "project/ProjectFixture.h"
#include "project/TreeOperations.h"
#include "project/TreeView.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int kGenerousWaitMs = 15000;  // an upper bound only; each wait ends as soon as it holds
constexpr int kDataLen = 64;
// The display block is read from just below the setting block in RAM, so the display read
// shows the board's working settings from display byte 4 on.
constexpr int kDisplayLead = 4;
constexpr int kModeRow = 1;   // block byte 32: Off, On, Auto
constexpr int kLevelRow = 2;  // block byte 40, limits 0 to 200

class ProjectWorkflowTest : public ::testing::Test {
protected:
    QString ProjectPath() const { return programFolder.file("Config.QVR"); }

    // The default project with two nodes that hold no settings yet.
    void WriteDefaultProject()
    {
        project::ProjectState projectState;
        project::TreeView tree;
        testsupport::ScriptedDialogs quiet;
        const project::ProjectContext ctx{projectState, tree, quiet};
        ASSERT_TRUE(project::CreateProjectFile(ctx, ProjectPath()));
        ASSERT_TRUE(project::OpenProjectFile(ctx, ProjectPath(), "locked", "Hint"));
        project::AddTopNode(ctx);
        project::AddTopNode(ctx);
        ASSERT_EQ(tree.Count(), 2);
    }

    // The board's stored settings: Mode On, Level 7.
    QString WriteBoardSettings()
    {
        common::Bytes block(kDataLen + 1, 0);
        common::WriteLE<int32_t>(block, 20, kDataLen - 32);
        block[32] = 1;
        block[40] = 7;
        params::ProtoInfoRecord info;
        info.DataLen = kDataLen;
        EXPECT_EQ(params::StampBlockCrc(block, info), 0);
        return programFolder.write("board.bin", QByteArray(reinterpret_cast<const char*>(block.data()), kDataLen));
    }

    void StartWindow()
    {
        env.programFolder = programFolder.path();
        env.portsFolder = programFolder.file("ports");
        env.recordFolder = programFolder.file("ProRecord(M0)");
        form = std::make_unique<mainwin::ViewForm>(env, dialogs, state, devsim.port);
        form->endProgram = [] {};
        form->Form_Load();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.MessageTexts().join("; ").toStdString();
        ASSERT_TRUE(state.project.ProjectOpen);
        form->ComboSet[0]->setCurrentText(QStringLiteral("COM%1").arg(e2e::kDevsimPort));
        form->Command2->click();
        ASSERT_EQ(form->Command2->text(), "CloseUart") << dialogs.MessageTexts().join("; ").toStdString();
    }

    void TearDown() override
    {
        if (form) form->EndPro_Click();
        form.reset();
    }

    // A picture-menu entry released under the mouse.
    void PictureEntry(int entry)
    {
        QTest::mouseRelease(form->MenuImg[entry], Qt::LeftButton, {}, QPoint(2, 2));
    }

    bool WaitForResult(const QString& text)
    {
        return QTest::qWaitFor([&] { return form->SB->Panel(2) == text; }, kGenerousWaitMs);
    }

    void ClickNode(int n)
    {
        project::TreeView* tree = form->TreeView;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->NodeAt(n)).center());
    }

    QString Value(int row) const { return form->MSFG[0]->TextMatrix(row, 3); }

    void EditLevel(const QString& text) { e2e::EditValue(*form, kLevelRow, text); }

    uint8_t BoardRamSetting(int byte) const
    {
        return state.params.DispData.at(size_t(kDisplayLead + byte));
    }

    testsupport::TempFolder programFolder;
    e2e::DevsimFixture devsim;
    common::AppEnvironment env;
    testsupport::ScriptedDialogs dialogs;
    mainwin::AppState state;
    std::unique_ptr<mainwin::ViewForm> form;
};

TEST_F(ProjectWorkflowTest, SettingsTravelBetweenBoardGridAndProjectNode)
{
    testmain::WriteProtocolTable(programFolder, "Config.For", kDataLen, true);
    testmain::WriteProtocolTable(programFolder, "Display.For", kDisplayLead + kDataLen);
    WriteDefaultProject();
    ASSERT_FALSE(HasFatalFailure());
    const QString board = WriteBoardSettings();
    ASSERT_TRUE(devsim.Start({"--settings", board, "--display-addr", "2000010C"})) << devsim.FailureReason().toStdString();
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->SB->Panel(1) == "Link normal-run mode"; }, kGenerousWaitMs));

    // Read the board's settings and store them into the first node.
    ClickNode(1);
    ASSERT_EQ(form->SB->Panel(2), "保存数据校验无效");
    PictureEntry(1);
    ASSERT_TRUE(WaitForResult("Successful reading data set")) << form->SB->Panel(2).toStdString();
    EXPECT_EQ(Value(kModeRow), "On");
    EXPECT_EQ(Value(kLevelRow), "7");
    dialogs.messageAnswers = {common::MsgResult::Yes};
    PictureEntry(4);
    ASSERT_EQ(form->SB->Panel(2), "全部数据已保存");
    common::Bytes stored(kDataLen + 1, 0);
    const int firstRecord = project::KeyToRecordNo(project::TreeView::KeyOf(form->TreeView->NodeAt(1)));
    projecttest::ReadRecord(ProjectPath(), firstRecord).LoadSettings(stored, kDataLen);
    EXPECT_EQ(stored[40], 7);
    EXPECT_EQ(params::CheckBlockCrc(stored, state.params.ProtoInfo[0]), 0);

    // Edit the level and send the block to the board's RAM.
    EditLevel("150");
    ASSERT_FALSE(HasFatalFailure());
    PictureEntry(2);
    ASSERT_TRUE(WaitForResult("Update the set data successfully")) << form->SB->Panel(2).toStdString();

    // The display read finds the edited block in the board's RAM.
    PictureEntry(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return BoardRamSetting(40) == 150; }, kGenerousWaitMs))
        << int(BoardRamSetting(40));
    EXPECT_EQ(BoardRamSetting(32), 1);
    common::Bytes ram(state.params.DispData.begin() + kDisplayLead, state.params.DispData.end());
    EXPECT_EQ(params::CheckBlockCrc(ram, state.params.ProtoInfo[0]), 0);

    // The node still holds what was stored; the unstored edit is gone from the grid.
    ClickNode(2);
    EXPECT_EQ(form->SB->Panel(2), "保存数据校验无效");
    EXPECT_EQ(Value(kLevelRow), "");
    ClickNode(1);
    EXPECT_EQ(form->SB->Panel(2), "成功获取保存数据");
    EXPECT_EQ(Value(kModeRow), "On");
    EXPECT_EQ(Value(kLevelRow), "7");
    EXPECT_EQ(state.engine.Requested(), devlink::OpLinkCheck);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->SB->Panel(1) == "Link normal-run mode"; }, kGenerousWaitMs));
}

}  // namespace
