#include "PanelFixture.h"

#include "project/ProjectMessages.h"
#include "project/TreeOperations.h"

#include <QApplication>
#include <QTest>

using namespace project;
using namespace projecttest;

namespace {

class TreeCommandsTest : public PanelTest {
protected:
    void RightClick()
    {
        QTest::mouseClick(tree.viewport(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    }

    ~TreeCommandsTest() override { medite->hide(); }
};

TEST_F(TreeCommandsTest, PopupOnlyWithAnOpenProjectAndNodeEntriesOnlyWithNodes)
{
    Minsertback->setEnabled(true);
    RightClick();
    EXPECT_FALSE(medite->isVisible());
    EXPECT_FALSE(Minsertback->isEnabled());  // set even without a project
    EXPECT_FALSE(Mdelect->isEnabled());

    NewProject();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(medite->isVisible());
    RightClick();
    EXPECT_TRUE(medite->isVisible());
    EXPECT_FALSE(Minsertback->isEnabled());
    medite->hide();
    MAddRecord->trigger();
    ExpectConsistent(QStringLiteral("2"));
    RightClick();
    EXPECT_TRUE(Minsertback->isEnabled());
    EXPECT_TRUE(Mdelect->isEnabled());
}

TEST_F(TreeCommandsTest, MouseOverTheTreeHidesTheGridEditorAndShowsTheHint)
{
    QTest::mouseMove(tree.viewport(), QPoint(4, 4));
    QMouseEvent move(QEvent::MouseMove, QPointF(6, 6), tree.viewport()->mapToGlobal(QPointF(6, 6)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &move);
    EXPECT_GE(editorHides, 1);
    EXPECT_EQ(panel3, QStringLiteral("右键选择功能操作"));
}

TEST_F(TreeCommandsTest, EachEditEntryKeepsTheFileAndTreeTogether)
{
    NewProject();
    MAddRecord->trigger();  // 2
    MAddRecord->trigger();  // 3
    Select(2);
    Maddsub->trigger();  // 4
    Select(4);
    Minsertback->trigger();  // 5
    ExpectConsistent(QStringLiteral("2(5,4),3"));
    Select(2);
    Mdelect->trigger();
    ExpectConsistent(QStringLiteral("3"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(state.TreeBusy);
}

TEST_F(TreeCommandsTest, CutThenPasteMovesTheNodeAndClosesTheCut)
{
    NewProject();
    MAddRecord->trigger();  // 2
    MAddRecord->trigger();  // 3
    Select(3);
    Maddsub->trigger();  // 4 under 3
    EXPECT_FALSE(MnodePast->isEnabled());
    Select(3);
    MNodeCut->trigger();
    EXPECT_TRUE(MnodePast->isEnabled());
    Select(2);
    MnodePast->trigger();
    ExpectConsistent(QStringLiteral("3(4),2"));
    EXPECT_FALSE(MnodePast->isEnabled());
    EXPECT_FALSE(state.TreeBusy);
}

TEST_F(TreeCommandsTest, AnyOtherTreeEditDropsThePendingCut)
{
    NewProject();
    MAddRecord->trigger();
    MAddRecord->trigger();
    for (QAction* edit : {MAddRecord, Maddsub, Minsertback, Mdelect}) {
        Select(2);
        MNodeCut->trigger();
        ASSERT_TRUE(MnodePast->isEnabled());
        Select(3);
        edit->trigger();
        EXPECT_FALSE(MnodePast->isEnabled()) << edit->text().toStdString();
        EXPECT_TRUE(state.CutNodeKey.isEmpty());
    }
}

TEST_F(TreeCommandsTest, CutOrPasteWithoutASelectionAnswersAndMarksNothing)
{
    NewProject();
    MAddRecord->trigger();
    MAddRecord->trigger();
    tree.clearSelection();
    MNodeCut->trigger();
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{QStringLiteral("没有选择节点！")});
    EXPECT_FALSE(MnodePast->isEnabled());
    EXPECT_TRUE(state.CutNodeKey.isEmpty());

    Select(3);
    MNodeCut->trigger();
    tree.clearSelection();
    const QByteArray before = folder.read(path);
    MnodePast->trigger();
    EXPECT_EQ(dialogs.MessageTexts().size(), 2);
    EXPECT_FALSE(MnodePast->isEnabled());  // the cut has to be repeated
    EXPECT_EQ(folder.read(path), before);
    ExpectConsistent(QStringLiteral("2,3"));
}

TEST_F(TreeCommandsTest, UserExpandAndCollapseAreStoredButNotWhileACommandRuns)
{
    NewProject();
    MAddRecord->trigger();
    Select(2);
    Maddsub->trigger();
    auto* node = tree.NodeByKey(NodeKey(2));
    tree.collapseItem(node);
    EXPECT_EQ(ReadRecord(path, 2).Expanded(), 0);
    LoadProjectTree(ctx, path);
    EXPECT_FALSE(tree.NodeByKey(NodeKey(2))->isExpanded());
    tree.expandItem(tree.NodeByKey(NodeKey(2)));
    EXPECT_EQ(ReadRecord(path, 2).Expanded(), -1);

    state.TreeBusy = true;
    tree.collapseItem(tree.NodeByKey(NodeKey(2)));
    state.TreeBusy = false;
    EXPECT_EQ(ReadRecord(path, 2).Expanded(), -1);
}

}  // namespace
