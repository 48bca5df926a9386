// The default project in the real window: node clicks while the controller is read, the
// node panel's stores and their byte limits, data copy and paste, the picture menu's store
// entry, and the tree's pop-up menu.
#include "main/WindowLinkFixture.h"

#include "main/StatusBar.h"

#include "link/Commands.h"
#include "params/FlexGrid.h"
#include "params/GridColors.h"
#include "project/NodeData.h"
#include "project/NodePanel.h"
#include "project/ProjectFixture.h"
#include "project/ProjectFiles.h"
#include "project/TreeOperations.h"
#include "project/TreeView.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

namespace testmain {
namespace {

using common::MsgResult;
using project::TreeView;

constexpr int kDataLen = 64;

struct NodeContent {
    project::NodeTexts texts;
    common::Bytes block;  // kDataLen + 1 bytes
    int parent = 0;       // 0: a top-level node; n: a child of the n-th node written
};

class WindowProjectTest : public WindowLinkFixture {
protected:
    QString ProjectPath() const { return programFolder.file("Config.QVR"); }

    // The default project beside the program, written before the window starts.
    void WriteDefaultProject(const std::vector<NodeContent>& nodes)
    {
        project::ProjectState projectState;
        TreeView tree;
        testsupport::ScriptedDialogs quiet;
        const project::ProjectContext ctx{projectState, tree, quiet};
        ASSERT_TRUE(project::CreateProjectFile(ctx, ProjectPath()));
        ASSERT_TRUE(project::OpenProjectFile(ctx, ProjectPath(), "locked", "Hint"));
        quiet.messages.clear();  // the new project is empty
        params::ParamState params;
        params.ProtoInfo[0].DataLen = kDataLen;
        std::vector<TreeView::Node*> written;
        for (const NodeContent& node : nodes) {
            if (node.parent > 0) {
                tree.SetSelected(written.at(size_t(node.parent) - 1));
                project::AddChildNode(ctx);
            } else {
                project::AddTopNode(ctx);
            }
            written.push_back(tree.NodeAt(tree.Count()));
            params.SetData = node.block;
            ASSERT_TRUE(project::SaveNodeNotes(ctx, written.back(), params, node.texts));
        }
        ASSERT_TRUE(quiet.messages.empty()) << quiet.MessageTexts().join("; ").toStdString();
    }

    // Three top-level nodes: A with a valid block (Auto, 9), B never stored (all zeros),
    // C with a valid block (Off, 50).
    void StartWithThreeNodes()
    {
        WriteDefaultProject({{TextsOf("A"), ValidBlock(2, 9)},
                             {TextsOf("B"), common::Bytes(kDataLen + 1, 0)},
                             {TextsOf("C"), ValidBlock(0, 50)}});
        ASSERT_FALSE(HasFatalFailure());
        StartWindow();
        ASSERT_EQ(form->TreeView->Count(), 3);
    }

    void StartWindow()
    {
        WriteProtocolTable(programFolder, "Config.For", kDataLen, true);
        WriteProtocolTable(programFolder, "Display.For", 72);
        Load(false);
        ASSERT_EQ(state.project.ProjectOpen, QFile::exists(ProjectPath()));
        dialogs.messages.clear();
    }

    static project::NodeTexts TextsOf(const QString& name)
    {
        return {"描述" + name, "/bin/" + name + ".BIN", "cfg" + name, "disp" + name, "order" + name, "rem" + name};
    }

    static common::Bytes ValidBlock(uint8_t mode, uint8_t level)
    {
        common::Bytes block = StampedBlock(kDataLen);
        block[32] = mode;
        block[40] = level;
        params::ProtoInfoRecord info;
        info.DataLen = kDataLen;
        params::StampBlockCrc(block, info);
        return block;
    }

    TreeView::Node* Node(int n) const { return form->TreeView->NodeAt(n); }
    int RecordOf(int n) const { return project::KeyToRecordNo(TreeView::KeyOf(Node(n))); }
    project::ProjectRecord Record(int n) const { return projecttest::ReadRecord(ProjectPath(), RecordOf(n)); }

    void ClickNode(int n)
    {
        TreeView* tree = form->TreeView;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(Node(n)).center());
    }

    void RightClickTree()
    {
        QTest::mouseClick(form->TreeView->viewport(), Qt::RightButton, {}, QPoint(3, 3));
    }

    QString Box(int box) const { return form->NodePanel().NoteText(box); }

    QStringList ValueColumn() const
    {
        QStringList values;
        for (int row = 1; row < form->MSFG[0]->Rows(); ++row) values << form->MSFG[0]->TextMatrix(row, 3);
        return values;
    }

    bool SettingGridInFront() const
    {
        const auto siblings = form->MSFG[0]->parentWidget()->children();
        return siblings.indexOf(form->MSFG[0]) > siblings.indexOf(form->MSFG[1]);
    }

    // The controller runs: the display block at 0x20000400, polls in run mode.
    void StartTheDisplayRead()
    {
        port.responder = [](const common::Bytes& frame) {
            switch (CommandOf(frame)) {
            case devlink::CmdQueryDisplay: return Reply({0x01, devlink::CmdQueryDisplay, 0x00, 0x04, 0x00, 0x20});
            case devlink::CmdReadMemory: return ReadReply(frame, common::Bytes(72, 0x05));
            default: return StatusReply(CommandOf(frame), 2);
            }
        };
        OpenThePort();
        Click(form->MenuImg[5]);
        RunExchanges(2);
        ASSERT_EQ(form->SB->Panel(2), "Successful reading data set");
        ASSERT_FALSE(SettingGridInFront());
    }

    void StoreWithThePictureMenu()
    {
        form->MenuImg[4]->setEnabled(true);
        dialogs.messageAnswers = {MsgResult::Yes};
        Click(form->MenuImg[4]);
    }
};

TEST_F(WindowProjectTest, ANeverStoredNodeClickedDuringTheDisplayReadShowsItsTextsOnly)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());
    StartTheDisplayRead();
    form->MSFG[0]->SetTextMatrix(1, 3, "On");
    form->NodePanel().SetNoteText(0, "scratch");

    ClickNode(2);
    const project::NodeTexts b = TextsOf("B");
    for (int box = 1; box <= 6; ++box) EXPECT_EQ(Box(box), b[size_t(box) - 1]);
    EXPECT_EQ(Box(0), "");
    EXPECT_EQ(ValueColumn(), QStringList(form->MSFG[0]->Rows() - 1, QString()));
    EXPECT_EQ(form->SB->Panel(2), "保存数据校验无效");
    EXPECT_FALSE(SettingGridInFront());
    EXPECT_EQ(state.engine.Requested(), devlink::OpReadDisplay);
    EXPECT_FALSE(form->MenuImg[4]->isEnabled());
    RunExchanges();
    EXPECT_EQ(CommandOf(port.written.back()), devlink::CmdReadMemory);
}

TEST_F(WindowProjectTest, AStoredNodeClickedDuringTheDisplayReadShowsItsValuesAndPollingResumes)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());
    StartTheDisplayRead();

    ClickNode(1);
    EXPECT_EQ(form->SB->Panel(2), "成功获取保存数据");
    EXPECT_EQ(form->MSFG[0]->TextMatrix(1, 3), "Auto");
    EXPECT_EQ(form->MSFG[0]->TextMatrix(2, 3), "9");
    EXPECT_TRUE(SettingGridInFront());
    EXPECT_EQ(Box(1), "描述A");
    EXPECT_FALSE(form->MenuImg[4]->isEnabled());  // a click alone leaves nothing to store
    RunExchanges();
    EXPECT_EQ(CommandOf(port.written.back()), devlink::CmdLinkQuery);
}

TEST_F(WindowProjectTest, EditsThatWereNotStoredAreLostOnTheNextNodeClick)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());
    ClickNode(1);
    DoubleClickValue(2);
    ASSERT_TRUE(form->InPutTxt_0->isVisible());
    QTest::keyClicks(form->InPutTxt_0, "100");
    QTest::keyClick(form->InPutTxt_0, Qt::Key_Return);
    ASSERT_EQ(state.params.SetData[40], 100);
    auto* remark = static_cast<QLineEdit*>(form->NotesTxt[6]);
    remark->clear();
    QTest::keyClicks(remark, "changed");
    EXPECT_TRUE(form->MenuImg[4]->isEnabled());

    form->MSFG[0]->SetRow(2);
    ASSERT_EQ(form->MSFG[0]->CellForeColor(), params::RGB(250, 0, 0));
    ClickNode(3);
    form->MSFG[0]->SetRow(2);
    form->MSFG[0]->SetCol(3);
    EXPECT_EQ(form->MSFG[0]->CellForeColor(), params::RGB(0, 0, 0));
    ClickNode(1);
    EXPECT_EQ(form->MSFG[0]->TextMatrix(2, 3), "9");
    EXPECT_EQ(state.params.SetData[40], 9);
    EXPECT_EQ(Box(6), "remA");
    EXPECT_EQ(Record(1).Text(project::RemarkInfo), "remA");
}

TEST_F(WindowProjectTest, StoredTextsAndLabelsAreCutToTheirFieldsButShownWhole)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());
    ClickNode(1);
    const QString longPath = "/" + QString(249, QLatin1Char('p'));
    static_cast<QLineEdit*>(form->NotesTxt[2])->setText(longPath);
    StoreWithThePictureMenu();
    EXPECT_EQ(form->SB->Panel(2), "全部数据已保存");
    EXPECT_EQ(Record(1).Text(project::ProgramFile), longPath.left(200));
    EXPECT_EQ(Box(2), longPath);
    ClickNode(1);
    EXPECT_EQ(Box(2), longPath.left(200));

    // 25 two-byte characters: 50 bytes, of which the title keeps 40.
    const QString longLabel = QString(25, QChar(0x6807));
    form->TreeView->SetSelected(Node(2));
    form->TreeView->StartLabelEdit(Node(2));
    auto* editor = form->TreeView->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(longLabel);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Record(2).Text(project::Title), longLabel.left(20));
    EXPECT_EQ(TreeView::NodeText(Node(2)), longLabel);
    const project::ProjectContext ctx{state.project, *form->TreeView, dialogs};
    ASSERT_EQ(project::LoadProjectTree(ctx, ProjectPath()), 0);
    EXPECT_EQ(TreeView::NodeText(Node(2)), longLabel.left(20));
}

// The label editor opened with F2 on a clicked node, its text deleted: Escape keeps the
// title, Enter stores the empty label.
TEST_F(WindowProjectTest, AnEmptiedLabelIsStoredButEscapeKeepsTheTitle)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());
    const QString title = Record(2).Text(project::Title);
    ASSERT_FALSE(title.isEmpty());
    ClickNode(2);
    const auto emptyTheLabel = [&](Qt::Key endingKey) {
        QTest::keyClick(form->TreeView, Qt::Key_F2);
        QLineEdit* editor = projecttest::OpenLabelEditor(*form->TreeView);
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Backspace);
        ASSERT_EQ(editor->text(), QString());
        QTest::keyClick(editor, endingKey);
        QApplication::processEvents();
    };

    emptyTheLabel(Qt::Key_Escape);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Record(2).Text(project::Title), title);
    EXPECT_EQ(TreeView::NodeText(Node(2)), title);

    emptyTheLabel(Qt::Key_Return);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Record(2).Text(project::Title), QString());
    EXPECT_EQ(TreeView::NodeText(Node(2)), QString());
    const project::ProjectContext ctx{state.project, *form->TreeView, dialogs};
    ASSERT_EQ(project::LoadProjectTree(ctx, ProjectPath()), 0);
    EXPECT_EQ(TreeView::NodeText(Node(2)), QString());
    EXPECT_EQ(TreeView::NodeText(Node(1)), Record(1).Text(project::Title));
}

TEST_F(WindowProjectTest, PastedDataReachesAnotherNodeOnlyWhenStoredAndPastesOnce)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(form->MPaseteData->isEnabled());
    ClickNode(1);
    form->Mcopydata->trigger();
    EXPECT_TRUE(form->MPaseteData->isEnabled());
    ClickNode(3);
    EXPECT_EQ(form->MSFG[0]->TextMatrix(1, 3), "Off");
    const QByteArray before = programFolder.read(ProjectPath());

    form->MPaseteData->trigger();
    EXPECT_EQ(form->SB->Panel(2), "成功获取保存数据");
    EXPECT_EQ(form->MSFG[0]->TextMatrix(1, 3), "Auto");
    EXPECT_EQ(form->MSFG[0]->TextMatrix(2, 3), "9");
    EXPECT_TRUE(form->MenuImg[4]->isEnabled());
    EXPECT_FALSE(form->MPaseteData->isEnabled());
    EXPECT_EQ(programFolder.read(ProjectPath()), before);

    StoreWithThePictureMenu();
    common::Bytes stored(kDataLen + 1, 0);
    Record(3).LoadSettings(stored, kDataLen);
    EXPECT_EQ(stored[32], 2);
    EXPECT_EQ(stored[40], 9);
    EXPECT_EQ(Record(3).Text(project::Description), "描述C");
}

TEST_F(WindowProjectTest, DuringProgrammingOnlyTheStoreEntryActs)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());

    // No node selected: the store says so and writes nothing.
    const QByteArray untouched = programFolder.read(ProjectPath());
    StoreWithThePictureMenu();
    EXPECT_EQ(dialogs.MessageTexts(), QStringList({"确认保存新数据到数据库！", "请选择对象!"}));
    EXPECT_EQ(programFolder.read(ProjectPath()), untouched);
    EXPECT_EQ(form->SB->Panel(2), "数据未保存");
    EXPECT_TRUE(form->MenuImg[4]->isEnabled());

    ClickNode(1);
    state.engine.Request(devlink::OpProgram);
    port.open = true;
    dialogs.messageAnswers = {MsgResult::Yes};
    for (int entry : {0, 1, 2, 3, 5, 6}) Click(form->MenuImg[entry]);
    EXPECT_EQ(state.engine.Requested(), devlink::OpProgram);

    static_cast<QLineEdit*>(form->NotesTxt[6])->setText("R9");
    StoreWithThePictureMenu();
    EXPECT_EQ(form->SB->Panel(2), "全部数据已保存");
    EXPECT_EQ(Record(1).Text(project::RemarkInfo), "R9");
    EXPECT_EQ(state.engine.Requested(), devlink::OpProgram);
}

TEST_F(WindowProjectTest, ThePopupNeedsAProjectAndOffersNodeEntriesOnlyWithNodes)
{
    StartWindow();  // no default project
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_FALSE(state.project.ProjectOpen);
    form->Minsertback->setEnabled(true);
    RightClickTree();
    EXPECT_FALSE(form->Medite->isVisible());
    EXPECT_FALSE(form->Minsertback->isEnabled());
}

TEST_F(WindowProjectTest, ThePopupOnAnEmptyProjectAddsTheFirstNode)
{
    WriteDefaultProject({});
    ASSERT_FALSE(HasFatalFailure());
    StartWindow();
    ASSERT_TRUE(state.project.ProjectOpen);
    RightClickTree();
    EXPECT_TRUE(form->Medite->isVisible());
    EXPECT_FALSE(form->Minsertback->isEnabled());
    EXPECT_FALSE(form->Mdelect->isEnabled());
    form->Medite->hide();
    form->MAddRecord->trigger();
    EXPECT_EQ(form->TreeView->Count(), 1);
    RightClickTree();
    EXPECT_TRUE(form->Minsertback->isEnabled());
    EXPECT_TRUE(form->Mdelect->isEnabled());
    form->Medite->hide();
}

TEST_F(WindowProjectTest, ExpandedStatesSurviveAReload)
{
    WriteDefaultProject({{TextsOf("A"), ValidBlock(1, 1)}, {TextsOf("A1"), ValidBlock(1, 2), 1}});
    ASSERT_FALSE(HasFatalFailure());
    StartWindow();
    ASSERT_FALSE(HasFatalFailure());
    const project::ProjectContext ctx{state.project, *form->TreeView, dialogs};
    auto* parent = form->TreeView->topLevelItem(0);
    for (bool expanded : {true, false}) {
        SCOPED_TRACE(expanded);
        parent->setExpanded(expanded);
        ASSERT_EQ(project::LoadProjectTree(ctx, ProjectPath()), 0);
        parent = form->TreeView->topLevelItem(0);
        EXPECT_EQ(parent->isExpanded(), expanded);
    }
}

TEST_F(WindowProjectTest, CutMovesANodeBeforeTheSelectedOneUnlessAnotherEditDropsTheMark)
{
    StartWithThreeNodes();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(projecttest::ViewShape(*form->TreeView), "2,3,4");

    ClickNode(1);
    form->MNodeCut->trigger();
    EXPECT_TRUE(form->MnodePast->isEnabled());
    form->Maddsub->trigger();  // a new child of the first node drops the cut
    EXPECT_FALSE(form->MnodePast->isEnabled());
    EXPECT_EQ(projecttest::ViewShape(*form->TreeView), "2(5),3,4");

    form->TreeView->SetSelected(form->TreeView->NodeByKey(project::NodeKey(2)));
    form->MNodeCut->trigger();
    form->TreeView->SetSelected(form->TreeView->NodeByKey(project::NodeKey(4)));
    form->MnodePast->trigger();
    EXPECT_FALSE(form->MnodePast->isEnabled());
    EXPECT_EQ(projecttest::ViewShape(*form->TreeView), "3,2(5),4");
    const project::ProjectContext ctx{state.project, *form->TreeView, dialogs};
    ASSERT_EQ(project::LoadProjectTree(ctx, ProjectPath()), 0);
    EXPECT_EQ(projecttest::ViewShape(*form->TreeView), "3,2(5),4");
}

}  // namespace
}  // namespace testmain
