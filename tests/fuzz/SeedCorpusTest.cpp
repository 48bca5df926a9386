// The seeds are only worth replaying if the sound ones reach the deep paths: the valid
// tables parse, and the valid project loads every node without a message. The project
// seeds are written by the disabled test below (run it with
// --gtest_also_run_disabled_tests --gtest_filter='*WriteProjectSeeds*') and checked in.

#include "fuzz/targets/ProjectImage.h"
#include "fuzz/targets/ProjectLoaderTarget.h"
#include "fuzz/targets/ProtocolParserTarget.h"

#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kCorpus = QStringLiteral(TOLVEXAN_SOURCE_DIR "/fuzz/corpus/");

// Four nodes: A with children A1 and A2, then B.
fuzz::ProjectImage SmallProject()
{
    return fuzz::ProjectImage::FromParents({-1, 0, 0, -1});
}

TEST(SeedCorpusTest, ValidTablesParse)
{
    for (const char* name : {"data_Config.For", "data_Display.For", "valid_config.For", "valid_display.For",
                             "no_end_line.For", "oversized.For"}) {
        params::FlexGrid grid;
        std::vector<params::ProtoRowRecord> table;
        params::ProtoInfoRecord info;
        EXPECT_EQ(params::ParseProtocolFile(grid, kCorpus + "protocol_parser/" + name, table, info), 0) << name;
        EXPECT_TRUE(fuzz::ParsedTableIsSound(grid, table, info)) << name;
    }
}

TEST(SeedCorpusTest, ValidProjectLoadsEveryNodeSilently)
{
    testsupport::TempFolder folder;
    QFile::copy(kCorpus + "project_loader/valid_small.QVR", folder.file("P.QVR"));
    fuzz::SilentDialogs dialogs;
    project::ProjectState state;
    project::TreeView tree;
    const project::ProjectContext ctx{state, tree, dialogs};

    EXPECT_EQ(project::LoadProjectTree(ctx, folder.file("P.QVR")), 0);
    EXPECT_EQ(dialogs.messages, 0);
    ASSERT_EQ(tree.Count(), 4);
    const auto* a = tree.NodeByKey(fuzz::ProjectImage::NodeKey(2).leftJustified(20));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->childCount(), 2);
    EXPECT_EQ(project::TreeView::NodeText(a), QStringLiteral("节点 0"));
}

void WriteSeed(const QString& name, const QByteArray& bytes)
{
    QFile file(kCorpus + "project_loader/" + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(SeedCorpusTest, DISABLED_WriteProjectSeeds)
{
    using P = fuzz::ProjectImage;
    QDir().mkpath(kCorpus + "project_loader");
    WriteSeed("valid_small.QVR", SmallProject().Bytes());
    WriteSeed("zero_length.QVR", QByteArray());
    WriteSeed("header_only.QVR", P(1).Bytes());

    P locked = SmallProject();
    locked.SetInteger(1, P::kLockFlag, 1);
    WriteSeed("locked_header.QVR", locked.Bytes());

    P foreign = SmallProject();
    foreign.SetFixed(1, P::kAuthorTag, QStringLiteral("Someone else"));
    WriteSeed("foreign_tag.QVR", foreign.Bytes());

    P spaced = SmallProject();  // differs only in blanks: still a project file
    spaced.SetFixed(1, P::kAuthorTag, QStringLiteral(" 作者： Taloma"));
    WriteSeed("author_tag_with_blanks.QVR", spaced.Bytes());

    P sibling_loop = SmallProject();  // B's next sibling is A again
    sibling_loop.SetLong(5, P::kNextRec, 2);
    WriteSeed("looping_siblings.QVR", sibling_loop.Bytes());

    P child_loop = SmallProject();  // A1's first child is A, its own parent
    child_loop.SetLong(3, P::kChildRec, 2);
    WriteSeed("looping_child.QVR", child_loop.Bytes());

    P self_loop = SmallProject();  // A2 is its own next sibling
    self_loop.SetLong(4, P::kNextRec, 4);
    WriteSeed("self_loop.QVR", self_loop.Bytes());

    P beyond = SmallProject();  // links past the file and below it
    beyond.SetLong(5, P::kNextRec, 99);
    beyond.SetLong(3, P::kChildRec, -7);
    WriteSeed("record_beyond_file.QVR", beyond.Bytes());

    P huge_first = SmallProject();
    huge_first.SetLong(1, P::kFirstNode, 0x7fffffff);
    WriteSeed("first_node_beyond_file.QVR", huge_first.Bytes());

    P orphan = SmallProject();  // A2 names a parent key no node has
    orphan.SetFixed(4, P::kParentKey, P::NodeKey(77));
    WriteSeed("parent_key_names_no_node.QVR", orphan.Bytes());

    P bad_keys = SmallProject();
    bad_keys.SetFixed(2, P::kNodeKey, QStringLiteral("nokeyhere"));
    bad_keys.SetFixed(3, P::kNodeKey, P::NodeKey(4));  // A1 claims A2's key
    bad_keys.SetFixed(5, P::kNodeKey, QStringLiteral(" -3KEY"));
    WriteSeed("bad_keys.QVR", bad_keys.Bytes());

    P first_zero = SmallProject();
    first_zero.SetLong(1, P::kFirstNode, 0);
    WriteSeed("first_node_zero.QVR", first_zero.Bytes());

    QByteArray truncated = SmallProject().Bytes();
    truncated.chop(1000);  // the last node record is cut short
    WriteSeed("truncated_last_record.QVR", truncated);
    WriteSeed("truncated_header.QVR", SmallProject().Bytes().left(500));

    P long_title = SmallProject();  // a title without its terminating 0, and non-GBK bytes
    for (int i = 0; i < 42; ++i) long_title.SetInteger(2, P::kTitle + i, static_cast<int16_t>(0x8181));
    long_title.Bytes()[2 * P::kRecordSize + P::kTitle] = '\xff';
    WriteSeed("unterminated_title.QVR", long_title.Bytes());

    P freed = SmallProject();  // a linked record marked free is still shown
    freed.SetInteger(3, P::kInUse, 0);
    WriteSeed("linked_free_record.QVR", freed.Bytes());

    std::vector<int> parents{-1};
    for (int i = 1; i < 12; ++i) parents.push_back(i - 1);
    WriteSeed("deep_chain_12.QVR", P::FromParents(parents).Bytes());
}

}  // namespace
