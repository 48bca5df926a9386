#include "ProjectFixture.h"

#include "project/ProjectMessages.h"
#include "project/RecordFile.h"
#include "project/TreeOperations.h"

#include <cstring>

using namespace project;
using namespace projecttest;

namespace {

class TreeOpsTest : public ProjectTest {
protected:
    void SetUp() override { NewProject(); }

    void Cut(int recordNo) { state.CutNodeKey = NodeKey(recordNo); }
};

TEST_F(TreeOpsTest, TopLevelNodesChainInTheFileAndTheView)
{
    AddTopNode(ctx);
    const ProjectRecord first = ReadRecord(path, 2);
    EXPECT_EQ(first.PrevRec(), -1);
    EXPECT_EQ(first.NextRec(), 0);
    EXPECT_EQ(ReadRecord(path, 1).FirstNode(), 2);
    AddTopNode(ctx);
    EXPECT_EQ(ReadRecord(path, 2).NextRec(), 3);
    EXPECT_EQ(ReadRecord(path, 3).PrevRec(), 2);
    EXPECT_EQ(FileSize(path), 3 * kRecordSize);
    EXPECT_EQ(TreeView::NodeText(tree.NodeByKey(NodeKey(3))), QStringLiteral("单击修改标题"));
    ExpectConsistent(QStringLiteral("2,3"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TreeOpsTest, ChildIsAddedExpandedUnderTheSelectedNodeAndInheritsItsBlock)
{
    AddTopNode(ctx);
    ProjectRecord parent = ReadRecord(path, 2);
    for (int i = 0; i < 40; ++i) parent.bytes[at::Settings + i] = static_cast<uint8_t>(i + 10);
    WriteRecord(path, 2, parent);
    state.NodeRec = parent;  // as the node panel leaves it after a click on the parent
    Select(2);
    AddChildNode(ctx);
    AddChildNode(ctx);
    ExpectConsistent(QStringLiteral("2(3,4)"));
    EXPECT_EQ(ReadRecord(path, 2).ChildRec(), 3);
    const ProjectRecord child = ReadRecord(path, 3);
    EXPECT_EQ(child.bytes[at::Settings], 0);
    EXPECT_EQ(child.bytes[at::Settings + 1], 11);
    EXPECT_EQ(child.bytes[at::Settings + 39], 49);
    EXPECT_EQ(child.Expanded(), 1);
    EXPECT_TRUE(tree.NodeByKey(NodeKey(3))->isExpanded());
    EXPECT_EQ(tree.SelectedItem(), tree.NodeByKey(NodeKey(2)));  // the selection does not change
}

TEST_F(TreeOpsTest, ChildWithoutSelectionJoinsTheTopLevelSelected)
{
    AddChildNode(ctx);
    EXPECT_EQ(tree.SelectedItem(), tree.NodeByKey(NodeKey(2)));
    tree.clearSelection();
    AddChildNode(ctx);
    ExpectConsistent(QStringLiteral("2,3"));
    EXPECT_EQ(tree.SelectedItem(), tree.NodeByKey(NodeKey(3)));
    EXPECT_TRUE(tree.NodeByKey(NodeKey(3))->isExpanded());
}

TEST_F(TreeOpsTest, InsertBeforeEachKindOfPlace)
{
    AddTopNode(ctx);  // 2
    Select(2);
    AddChildNode(ctx);  // 3 under 2
    Select(2);
    InsertNodeBefore(ctx);  // 4 before the first top-level node
    EXPECT_EQ(ReadRecord(path, 1).FirstNode(), 4);
    ExpectConsistent(QStringLiteral("4,2(3)"));
    Select(3);
    InsertNodeBefore(ctx);  // 5 before the first child
    EXPECT_EQ(ReadRecord(path, 2).ChildRec(), 5);
    EXPECT_EQ(ReadRecord(path, 3).PrevRec(), 5);
    ExpectConsistent(QStringLiteral("4,2(5,3)"));
    Select(3);
    InsertNodeBefore(ctx);  // 6 between siblings
    ExpectConsistent(QStringLiteral("4,2(5,6,3)"));
}

TEST_F(TreeOpsTest, CommandsNeedingASelectionRefuseWithoutOne)
{
    AddTopNode(ctx);
    const QByteArray before = folder.read(path);
    tree.clearSelection();
    InsertNodeBefore(ctx);
    DeleteNode(ctx);
    Cut(2);
    PasteNode(ctx);
    EXPECT_EQ(dialogs.MessageTexts(), QStringList(3, QStringLiteral("没有选择节点！")));
    EXPECT_EQ(folder.read(path), before);
    ExpectConsistent(QStringLiteral("2"));
}

TEST_F(TreeOpsTest, DeleteFreesTheSubtreeAndTheNextAddReusesTheLowestRecord)
{
    AddTopNode(ctx);  // 2
    AddTopNode(ctx);  // 3
    Select(2);
    AddChildNode(ctx);  // 4
    Select(4);
    AddChildNode(ctx);  // 5
    Select(2);
    DeleteNode(ctx);
    ExpectConsistent(QStringLiteral("3"));
    for (int n : {2, 4, 5}) EXPECT_EQ(ReadRecord(path, n).InUse(), 0) << n;
    EXPECT_EQ(ReadRecord(path, 2).SelfRec(), 0);
    AddTopNode(ctx);
    ExpectConsistent(QStringLiteral("3,2"));
    Select(3);
    DeleteNode(ctx);
    Select(2);
    DeleteNode(ctx);
    EXPECT_EQ(ReadRecord(path, 1).FirstNode(), -1);
    ExpectConsistent(QString());
    EXPECT_EQ(FileSize(path), 5 * kRecordSize);  // the file never shrinks
}

TEST_F(TreeOpsTest, DeleteTheLastOfAChainClearsItsNeighboursLink)
{
    AddTopNode(ctx);
    Select(2);
    AddChildNode(ctx);
    Select(2);
    AddChildNode(ctx);
    Select(4);
    DeleteNode(ctx);
    EXPECT_EQ(ReadRecord(path, 3).NextRec(), 0);
    ExpectConsistent(QStringLiteral("2(3)"));
}

TEST_F(TreeOpsTest, PasteMovesTheCutNodeWithItsSubtreeBeforeTheSelectedNode)
{
    AddTopNode(ctx);  // 2
    AddTopNode(ctx);  // 3
    Select(2);
    AddChildNode(ctx);  // 4
    Select(2);
    AddChildNode(ctx);  // 5
    Select(5);
    AddChildNode(ctx);  // 6 under 5
    Cut(5);
    Select(3);
    PasteNode(ctx);
    ExpectConsistent(QStringLiteral("2(4),5(6),3"));
    EXPECT_EQ(ReadRecord(path, 6).ParentKeyText(), NodeKey(5));
    EXPECT_EQ(ReadRecord(path, 4).NextRec(), 0);  // the cut was the last of its chain
    EXPECT_TRUE(state.CutNodeKey.isEmpty());

    Cut(3);
    Select(6);
    PasteNode(ctx);  // into a child chain, as its first child
    ExpectConsistent(QStringLiteral("2(4),5(3,6)"));
    Cut(2);
    Select(5);
    PasteNode(ctx);  // the first top-level node moves; nothing changes
    ExpectConsistent(QStringLiteral("2(4),5(3,6)"));
    Cut(5);
    Select(2);
    PasteNode(ctx);  // before the first top-level node
    ExpectConsistent(QStringLiteral("5(3,6),2(4)"));
    EXPECT_EQ(ReadRecord(path, 1).FirstNode(), 5);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TreeOpsTest, PasteOntoTheCutNodeOrItsSubtreeIsRefused)
{
    AddTopNode(ctx);  // 2
    Select(2);
    AddChildNode(ctx);  // 3
    Select(3);
    AddChildNode(ctx);  // 4
    const QByteArray before = folder.read(path);
    for (int target : {2, 3, 4}) {
        Cut(2);
        Select(target);
        PasteNode(ctx);
    }
    EXPECT_EQ(dialogs.MessageTexts(), QStringList(3, msg::PasteIntoItself));
    EXPECT_EQ(folder.read(path), before);
    ExpectConsistent(QStringLiteral("2(3(4))"));
}

TEST_F(TreeOpsTest, AMarkThatNoLongerNamesANodeMovesNothing)
{
    AddTopNode(ctx);
    AddTopNode(ctx);
    Cut(2);
    // Loading the tree again (here: opening the project anew) drops the mark.
    ASSERT_TRUE(OpenProjectFile(ctx, path, QString(), QString()));
    EXPECT_TRUE(state.CutNodeKey.isEmpty());
    const QByteArray before = folder.read(path);
    Select(3);
    PasteNode(ctx);
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{QStringLiteral("没有选择节点！")});
    EXPECT_EQ(folder.read(path), before);

    Cut(9);  // a key of no node in the view
    PasteNode(ctx);
    EXPECT_EQ(folder.read(path), before);
    ExpectConsistent(QStringLiteral("2,3"));
}

TEST_F(TreeOpsTest, ExpandedStateIsStoredAndLoaded)
{
    AddTopNode(ctx);
    Select(2);
    AddChildNode(ctx);
    SetNodeExpanded(ctx, 2, 0);
    EXPECT_EQ(ReadRecord(path, 2).Expanded(), 0);
    EXPECT_EQ(state.NodeRec.SelfRec(), 2);  // read through the working record
    LoadProjectTree(ctx, path);
    EXPECT_FALSE(tree.NodeByKey(NodeKey(2))->isExpanded());
    SetNodeExpanded(ctx, 2, -1);
    LoadProjectTree(ctx, path);
    EXPECT_TRUE(tree.NodeByKey(NodeKey(2))->isExpanded());
}

TEST_F(TreeOpsTest, LastSiblingAndFreeingSurviveALoopedChain)
{
    AddTopNode(ctx);
    AddTopNode(ctx);
    AddTopNode(ctx);
    ProjectRecord last = ReadRecord(path, 4);
    last.SetLong(at::NextRec, 2);
    WriteRecord(path, 4, last);
    RecordFile file(path, RecordFile::Mode::ReadWrite);
    EXPECT_EQ(file.FindLastSibling(2), 4);
    file.FreeNodeChain(2);
    EXPECT_FALSE(file.Failed());
    for (int n : {2, 3, 4}) EXPECT_EQ(ReadRecord(path, n).InUse(), 0);
}

// Appends `levels` nodes to the new project, each the only child of the one before.
void WriteNestedChain(const QString& path, int levels)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ProjectRecord header;
    f.read(reinterpret_cast<char*>(header.bytes.data()), kRecordSize);
    header.SetLong(at::FirstNode, 2);
    QByteArray bytes(reinterpret_cast<const char*>(header.bytes.data()), kRecordSize);
    for (int n = 2; n < levels + 2; ++n) {
        ProjectRecord rec;
        BuildNewNode(rec, n, NewSettings::ClearBlock);
        rec.SetLong(at::ParentRec, n == 2 ? -1 : n - 1);
        rec.SetLong(at::PrevRec, -1);
        rec.SetLong(at::NextRec, 0);
        rec.SetLong(at::ChildRec, n == levels + 1 ? 0 : n + 1);
        rec.SetFixed(ParentKey, n == 2 ? QString() : NodeKey(n - 1));
        bytes.append(reinterpret_cast<const char*>(rec.bytes.data()), kRecordSize);
    }
    f.seek(0);
    ASSERT_EQ(f.write(bytes), bytes.size());
}

TEST_F(TreeOpsTest, NestingFarDeeperThanTheStackLoadsAndDeletesWhole)
{
    constexpr int kLevels = 5000;
    WriteNestedChain(path, kLevels);
    ASSERT_EQ(LoadProjectTree(ctx, path), 0);
    EXPECT_TRUE(dialogs.messages.empty());  // not taken as damaged
    ASSERT_EQ(tree.Count(), kLevels);
    int depth = 0;
    for (const TreeView::Node* n = tree.NodeByKey(NodeKey(kLevels + 1)); n; n = n->parent()) ++depth;
    EXPECT_EQ(depth, kLevels);

    Select(2);
    DeleteNode(ctx);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.NodeByKey(NodeKey(kLevels + 1)), nullptr);
    EXPECT_EQ(ReadRecord(path, 1).FirstNode(), -1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    int inUse = 0;
    for (int n = 2; n < kLevels + 2; ++n) {
        ProjectRecord rec;
        std::memcpy(rec.bytes.data(), all.constData() + static_cast<qsizetype>(n - 1) * kRecordSize, kRecordSize);
        inUse += rec.InUse() != 0;
    }
    EXPECT_EQ(inUse, 0);
}

}  // namespace
