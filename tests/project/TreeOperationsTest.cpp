#include "ProjectFixture.h"

#include "project/ProjectMessages.h"
#include "project/RecordFile.h"
#include "project/TreeOperations.h"

#include <QCryptographicHash>
#include <cstring>
#include <functional>

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

// Every kind of edit on a sound file, each checked against the bytes the program wrote
// before edits took their links from the tree view: in a sound file the stored links and
// the loaded tree agree, so the bytes must not change.
TEST_F(TreeOpsTest, EditsOnASoundFileWriteTheSameBytesAsEver)
{
    for (int i = 0; i < 40; ++i) state.NodeRec.bytes[at::Settings + i] = static_cast<uint8_t>(i + 1);
    const std::function<void()> steps[] = {
        [&] { AddTopNode(ctx); },                        // 2, first of an empty tree
        [&] { AddTopNode(ctx); },                        // 3, after the last
        [&] { Select(2); AddChildNode(ctx); },           // 4, first child
        [&] { AddChildNode(ctx); },                      // 5, after the last child
        [&] { tree.clearSelection(); AddChildNode(ctx); },  // 6, no selection: top level
        [&] { Select(2); InsertNodeBefore(ctx); },       // 7, before the first top-level node
        [&] { Select(4); InsertNodeBefore(ctx); },       // 8, before a first child
        [&] { Select(5); InsertNodeBefore(ctx); },       // 9, between children
        [&] { Select(3); InsertNodeBefore(ctx); },       // 10, between top-level nodes
        [&] { Select(9); AddChildNode(ctx); },           // 11, under a middle child
        [&] { Cut(5); Select(3); PasteNode(ctx); },      // last child to the top level's middle
        [&] { Cut(2); Select(7); PasteNode(ctx); },      // a subtree before the first top-level node
        [&] { Cut(6); Select(8); PasteNode(ctx); },      // the last top-level node to a first child
        [&] { Cut(10); Select(11); PasteNode(ctx); },    // into an only child's place
        [&] { Select(4); DeleteNode(ctx); },             // the last child
        [&] { Select(2); DeleteNode(ctx); },             // the first top-level node, with its subtree
        [&] { AddTopNode(ctx); },                        // reuses the lowest freed record
        [&] { Select(5); DeleteNode(ctx); },             // a middle top-level node
        [&] { Select(3); AddChildNode(ctx); },
    };
    // The first 16 hex digits of the file's SHA-256 after each step, as the program wrote it.
    const char* const written[] = {
        "bf6f633df1ce622b", "d54f8ce168ccc534", "324cd4dd6d5a2c1f", "0768a11e85893a76", "60113ee69948800e",
        "afc98c57f1c0a758", "897d88ea16c71173", "8e27b40443dfac89", "823d3a4bdfb2bfcb", "ce474a28a4eca998",
        "6154de5e3598a28a", "5c57fb8c2b0cb6fd", "4d540d07675e5bf7", "077bc85df2abbaae", "c08c0d294f0113dd",
        "827d65ee1f8b0572", "e1624434a8ef109b", "a7fb0231bbc7ac24", "185e255c3a7221c1",
    };
    static_assert(std::size(written) == std::size(steps));
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i]();
        const QByteArray hash = QCryptographicHash::hash(folder.read(path), QCryptographicHash::Sha256).toHex();
        EXPECT_EQ(hash.left(16), written[i]) << "step " << i + 1;
    }
    EXPECT_TRUE(dialogs.messages.empty());
    ExpectConsistent(QStringLiteral("7,3(4),2"));
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
