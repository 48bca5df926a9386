#include "ProjectFixture.h"

#include "common/Codepage.h"
#include "project/ProjectMessages.h"
#include "project/TreeOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace project;
using namespace projecttest;

namespace {

const QString kStamp = QStringLiteral("2026/3/7 9:05:04");

class OpenTest : public ProjectTest {
protected:
    // A project with two top-level nodes (2, 3) and a child 4 under 2.
    void SmallProject()
    {
        NewProject();
        AddTopNode(ctx);
        AddTopNode(ctx);
        Select(2);
        AddChildNode(ctx);
        dialogs.messages.clear();
    }

    void SetLock(const QString& file, int16_t flag)
    {
        ProjectRecord header = ReadRecord(file, 1);
        header.SetInteger(at::LockFlag, flag);
        WriteRecord(file, 1, header);
    }

    bool Open(const QString& file) { return OpenProjectFile(ctx, file, msg::LockedChinese, msg::Hint); }
};

TEST_F(OpenTest, NewProjectMakesAStampedHeaderAndAReadOnlyBackup)
{
    dialogs.fileAnswers = {path};
    EXPECT_TRUE(CreatNewPro_Click(ctx));
    EXPECT_EQ(dialogs.fileDialogFilters, QStringList{QStringLiteral("File(*.QVR)|*.QVR")});
    EXPECT_EQ(FileSize(path), kRecordSize);
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{QStringLiteral("空文件，无数据记录！")});
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("提示"));
    const ProjectRecord header = ReadRecord(path, 1);
    EXPECT_EQ(header.Text(OpenedTime), kStamp);
    EXPECT_EQ(header.Text(CreatedTime), kStamp);
    EXPECT_EQ(StripBlanksAndNuls(header.Fixed(AuthorTag)), kAuthorTagText);

    const QString backup = path + QStringLiteral(".Copy.QVR");
    EXPECT_TRUE(QFileInfo(backup).isFile());
    EXPECT_FALSE(QFileInfo(backup).permissions() & QFileDevice::WriteOwner);
    QFile b(backup);
    b.open(QIODevice::ReadOnly);
    EXPECT_EQ(b.readAll().size(), kRecordSize);
    EXPECT_TRUE(state.ProjectOpen);
    EXPECT_EQ(state.ProjectPath, path);
}

TEST_F(OpenTest, ShortOrCancelledNameDoesNothing)
{
    dialogs.fileAnswers = {QStringLiteral("a.QV")};
    EXPECT_FALSE(CreatNewPro_Click(ctx));
    EXPECT_FALSE(CreatNewPro_Click(ctx));  // cancelled
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(OpenPro_Click(ctx));
    EXPECT_FALSE(state.ProjectOpen);
}

TEST_F(OpenTest, ReopeningStampsAgainAndReplacesTheReadOnlyBackup)
{
    SmallProject();
    state.Now = [] { return QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)); };
    dialogs.fileAnswers = {path};
    EXPECT_TRUE(OpenPro_Click(ctx));
    EXPECT_EQ(dialogs.fileDialogFilters.last(), QStringLiteral("文件(*.QVR)|*.QVR"));
    EXPECT_EQ(ReadRecord(path, 1).Text(OpenedTime), QStringLiteral("2026/12/31 23:59:58"));
    const ProjectRecord copy = ReadRecord(BackupPathFor(path), 1);
    EXPECT_EQ(copy.Text(OpenedTime), QStringLiteral("2026/12/31 23:59:58"));
    EXPECT_EQ(FileSize(BackupPathFor(path)), FileSize(path));
    EXPECT_FALSE(QFileInfo(BackupPathFor(path)).permissions() & QFileDevice::WriteOwner);
    ExpectConsistent(QStringLiteral("2(4),3"));
}

TEST_F(OpenTest, LockedProjectIsRefusedWithEachWordingAndChangesNothing)
{
    SmallProject();
    const QString other = folder.file(QStringLiteral("Locked.QVR"));
    ASSERT_TRUE(QFile::copy(path, other));
    SetLock(other, 1);
    const QByteArray before = folder.read(other);

    EXPECT_FALSE(Open(other));
    EXPECT_FALSE(OpenProjectFile(ctx, other, msg::LockedEnglish, msg::LockedEnglishTitle));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("登录用户名或密码错误!"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("提示"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("Login user name or password error!"));
    EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("Hint"));
    EXPECT_EQ(dialogs.messages[1].icon, common::MsgIcon::Exclamation);

    EXPECT_EQ(folder.read(other), before);  // not stamped
    EXPECT_FALSE(QFileInfo::exists(BackupPathFor(other)));
    // The earlier project stays current, so edits keep reaching the file the view shows.
    EXPECT_EQ(state.ProjectPath, path);
    AddTopNode(ctx);
    ExpectConsistent(QStringLiteral("2(4),3,5"));
    EXPECT_EQ(folder.read(other), before);
}

TEST_F(OpenTest, DecliningTheOverwriteOfALockedProjectShowsTheEnglishRefusal)
{
    SmallProject();
    SetLock(path, 1);
    dialogs.fileAnswers = {path};
    dialogs.messageAnswers = {common::MsgResult::No};
    EXPECT_FALSE(CreatNewPro_Click(ctx));
    EXPECT_EQ(dialogs.MessageTexts(), (QStringList{QStringLiteral("文件已存在，确定覆盖原文件吗？"),
                                                   QStringLiteral("Login user name or password error!")}));
    EXPECT_EQ(dialogs.messages[0].buttons, common::MsgButtons::YesNo);
    EXPECT_EQ(ViewShape(tree), QStringLiteral("2(4),3"));  // declined: the tree is not cleared
}

TEST_F(OpenTest, OverwriteReplacesTheFileWithAnEmptyProject)
{
    SmallProject();
    dialogs.fileAnswers = {path};
    dialogs.messageAnswers = {common::MsgResult::Yes};
    EXPECT_TRUE(CreatNewPro_Click(ctx));
    EXPECT_EQ(FileSize(path), kRecordSize);
    EXPECT_EQ(tree.Count(), 0);
}

TEST_F(OpenTest, ForeignFileEmptiesTheTreeAndLeavesNoProjectFileCurrent)
{
    SmallProject();
    const QString foreign = folder.write(QStringLiteral("Foreign.QVR"), QByteArray(kRecordSize * 2, 'x'));
    EXPECT_TRUE(Open(foreign));
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{QStringLiteral("文件类型不匹配！")});
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(folder.read(foreign), QByteArray(kRecordSize * 2, 'x'));
    EXPECT_FALSE(QFileInfo::exists(BackupPathFor(foreign)));
    EXPECT_TRUE(state.ProjectPath.isEmpty());

    // No tree edit can reach either file now.
    const QByteArray earlier = folder.read(path);
    AddTopNode(ctx);
    EXPECT_EQ(folder.read(foreign), QByteArray(kRecordSize * 2, 'x'));
    EXPECT_EQ(folder.read(path), earlier);
    EXPECT_EQ(dialogs.MessageTexts().last(), msg::NoProjectFile);
}

TEST_F(OpenTest, AuthorTagDifferingOnlyInBlanksAndNulsIsAccepted)
{
    SmallProject();
    ProjectRecord header = ReadRecord(path, 1);
    QByteArray tag = common::ToCodePage(QStringLiteral(" 作者： Tal")) + QByteArray(1, '\0') + "oma";
    tag = tag.leftJustified(20, ' ');
    std::copy_n(tag.constData(), 20, header.bytes.begin() + 22);
    WriteRecord(path, 1, header);
    EXPECT_TRUE(Open(path));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ViewShape(tree), QStringLiteral("2(4),3"));
}

TEST_F(OpenTest, ZeroLengthFileBecomesAnEmptyProject)
{
    const QString empty = folder.write(QStringLiteral("Zero.QVR"), QByteArray());
    EXPECT_TRUE(Open(empty));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(state.ProjectOpen);
    EXPECT_EQ(FileSize(empty), kRecordSize);
    const ProjectRecord header = ReadRecord(empty, 1);
    EXPECT_EQ(header.FirstNode(), -1);
    EXPECT_EQ(header.Text(OpenedTime), kStamp);
    EXPECT_TRUE(QFileInfo::exists(BackupPathFor(empty)));
    AddTopNode(ctx);
    path = empty;
    ExpectConsistent(QStringLiteral("2"));
}

TEST_F(OpenTest, NodesLoadWithTitleExpandedStateAndImage)
{
    SmallProject();
    ProjectRecord rec = ReadRecord(path, 3);
    rec.SetText(Title, QStringLiteral("电源板"));
    rec.SetInteger(at::Expanded, 0);
    rec.SetLong(at::NodeImage, 2);
    WriteRecord(path, 3, rec);
    ASSERT_TRUE(Open(path));
    const auto* node = tree.NodeByKey(NodeKey(3));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(TreeView::NodeText(node), QStringLiteral("电源板"));
    EXPECT_FALSE(node->isExpanded());
    EXPECT_EQ(TreeView::NodeImage(node), 2);
    EXPECT_TRUE(tree.NodeByKey(NodeKey(2))->isExpanded());
}

TEST_F(OpenTest, DefaultProjectOpensFromTheProgramFolderWhenPresent)
{
    EXPECT_FALSE(OpenDefaultProject(ctx, folder.path()));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(state.ProjectOpen);

    path = folder.file(QStringLiteral("Config.QVR"));
    SmallProject();
    tree.ClearNodes();
    EXPECT_TRUE(OpenDefaultProject(ctx, folder.path()));
    EXPECT_EQ(ViewShape(tree), QStringLiteral("2(4),3"));
    EXPECT_TRUE(QFileInfo::exists(folder.file(QStringLiteral("Config.QVR.Copy.QVR"))));

    SetLock(path, 1);
    EXPECT_FALSE(OpenDefaultProject(ctx, folder.path()));
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Login user name or password error!"));
    EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("Hint"));
}

TEST_F(OpenTest, AFullDiskIsReportedAndTheTreeStaysAsTheFileIs)
{
    SmallProject();
    const QByteArray before = folder.read(path);
    {
        DiskFull full(FileSize(path));
        AddTopNode(ctx);
    }
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{msg::FileError});
    EXPECT_EQ(folder.read(path), before);
    ExpectConsistent(QStringLiteral("2(4),3"));
}

TEST_F(OpenTest, AFailedStampIsReportedNotTakenAsSuccess)
{
    SmallProject();
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    if (QFileInfo(path).isWritable()) GTEST_SKIP() << "running with rights that ignore file permissions";
    EXPECT_TRUE(Open(path));
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{msg::FileError});
    AddTopNode(ctx);
    EXPECT_EQ(dialogs.MessageTexts().last(), msg::FileError);
    EXPECT_EQ(ViewShape(tree), QStringLiteral("2(4),3"));
}

// Damaged files load what they safely can, report it, and never hang.
class DamagedFileTest : public OpenTest {
protected:
    void Damage(int n, int offset, int32_t value)
    {
        ProjectRecord rec = ReadRecord(path, n);
        rec.SetLong(offset, value);
        WriteRecord(path, n, rec);
    }

    void ExpectLoaded(const QString& shape)
    {
        dialogs.messages.clear();
        EXPECT_TRUE(Open(path));
        EXPECT_EQ(dialogs.MessageTexts(), QStringList{msg::DamagedFile});
        EXPECT_EQ(ViewShape(tree), shape);
    }
};

TEST_F(DamagedFileTest, SiblingLinkLoopingBack)
{
    SmallProject();
    Damage(3, at::NextRec, 2);
    ExpectLoaded(QStringLiteral("2(4),3"));
}

TEST_F(DamagedFileTest, ChildLinkPointingAtItsAncestor)
{
    SmallProject();
    Damage(4, at::ChildRec, 2);
    ExpectLoaded(QStringLiteral("2(4),3"));
}

TEST_F(DamagedFileTest, RecordNumberBeyondTheFile)
{
    SmallProject();
    Damage(3, at::NextRec, 99);
    ExpectLoaded(QStringLiteral("2(4),3"));
}

TEST_F(DamagedFileTest, ParentKeyNamingNoLoadedNode)
{
    SmallProject();
    ProjectRecord rec = ReadRecord(path, 4);
    rec.SetFixed(ParentKey, NodeKey(77));
    WriteRecord(path, 4, rec);
    ExpectLoaded(QStringLiteral("2,3"));
}

TEST_F(DamagedFileTest, ParentAndPreviousLinksTheTreeContradictsAreReportedAndTheNodesShown)
{
    struct Case {
        const char* damage;
        int record, offset;
        int32_t value;
    };
    const Case cases[] = {
        {"a top-level node's parent link 0", 3, at::ParentRec, 0},
        {"a child's parent link naming itself", 4, at::ParentRec, 4},
        {"a first child's previous link naming a record", 4, at::PrevRec, 3},
        {"a first top-level node's previous link 0", 2, at::PrevRec, 0},
        {"a previous link skipping the sibling before", 3, at::PrevRec, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        QFile::remove(path);
        SmallProject();
        Damage(c.record, c.offset, c.value);
        const QByteArray nodesBefore = folder.read(path).mid(kRecordSize);
        ExpectLoaded(QStringLiteral("2(4),3"));
        EXPECT_EQ(folder.read(path).mid(kRecordSize), nodesBefore);  // opening repairs nothing
    }
}

TEST_F(DamagedFileTest, ANodeReachedFirstWhereItDoesNotBelongIsShownWhereItDoes)
{
    SmallProject();
    Damage(4, at::ChildRec, 3);  // B, reached below A1 before the top-level chain gets to it
    ExpectLoaded(QStringLiteral("2(4),3"));
}

TEST_F(DamagedFileTest, TruncatedLastRecordAndAddingAfterIt)
{
    SmallProject();
    QFile f(path);
    ASSERT_TRUE(f.resize(3 * kRecordSize + 100));  // record 4 cut short
    ExpectLoaded(QStringLiteral("2,3"));
    Select(2);
    AddChildNode(ctx);  // takes the truncated record's place and repairs the link to it
    ExpectConsistent(QStringLiteral("2(4),3"));
}

// Damaged files whose next edit used to write over a node the tree shows. The project is
// built record by record: top-level nodes "A" (2) and "B" (3), and "A1" (4) under "A".
class EditAfterDamageTest : public OpenTest {
protected:
    ProjectRecord Node(int n, int parent, int prev, int next, int child, const char* title)
    {
        ProjectRecord rec;
        rec.SetInteger(at::InUse, 1);
        rec.SetLong(at::ParentRec, parent);
        rec.SetLong(at::PrevRec, prev);
        rec.SetLong(at::NextRec, next);
        rec.SetLong(at::ChildRec, child);
        rec.SetLong(at::SelfRec, n);
        rec.SetFixed(ParentKey, parent < 1 ? QString() : NodeKey(parent));
        rec.SetFixed(NodeKeyField, NodeKey(n));
        rec.SetText(Title, QString::fromUtf8(title));
        rec.SetInteger(at::Expanded, 1);
        return rec;
    }

    void ThreeNodeProject()
    {
        ProjectRecord header = NewHeader(kStamp);
        header.SetLong(at::FirstNode, 2);
        WriteRecord(path, 1, header);
        WriteRecord(path, 2, Node(2, -1, -1, 3, 4, "A"));
        WriteRecord(path, 3, Node(3, -1, 2, 0, 0, "B"));
        WriteRecord(path, 4, Node(4, 2, -1, 0, 0, "A1"));
    }
};

TEST_F(EditAfterDamageTest, AddingKeepsEveryShownNode)
{
    enum class Damage { LastRecordOneByteShort, LastRecordASliver, LinkedRecordMarkedFree };
    struct Case {
        Damage damage;
        bool addChildOfA;  // else a top-level node
        const char* titlesAfter;
        const char* shapeAfter;
    };
    const Case cases[] = {
        {Damage::LastRecordOneByteShort, false, "A(A1),B,new", "2(4),3,5"},
        {Damage::LastRecordOneByteShort, true, "A(A1,new),B", "2(4,5),3"},
        {Damage::LinkedRecordMarkedFree, false, "A(A1),B,new", "2(4),3,5"},
        {Damage::LinkedRecordMarkedFree, true, "A(A1,new),B", "2(4,5),3"},
        // A1 is lost already: the link to it is dropped, never shared with the new node.
        {Damage::LastRecordASliver, false, "A,B,new", "2,3,4"},
        {Damage::LastRecordASliver, true, "A(new),B", "2(4),3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shapeAfter);
        QFile::remove(path);
        ThreeNodeProject();
        if (c.damage == Damage::LastRecordOneByteShort) ASSERT_TRUE(QFile::resize(path, 4 * kRecordSize - 1));
        if (c.damage == Damage::LastRecordASliver) ASSERT_TRUE(QFile::resize(path, 3 * kRecordSize + 100));
        if (c.damage == Damage::LinkedRecordMarkedFree) {
            ProjectRecord b = ReadRecord(path, 3);
            b.SetInteger(at::InUse, 0);
            WriteRecord(path, 3, b);
        }
        dialogs.messages.clear();
        ASSERT_TRUE(Open(path));
        const bool sliver = c.damage == Damage::LastRecordASliver;
        EXPECT_EQ(dialogs.MessageTexts(), sliver ? QStringList{msg::DamagedFile} : QStringList{});
        EXPECT_EQ(ViewTitles(tree), sliver ? QStringLiteral("A,B") : QStringLiteral("A(A1),B"));

        Select(2);
        c.addChildOfA ? AddChildNode(ctx) : AddTopNode(ctx);
        EXPECT_EQ(FileSize(path) % kRecordSize, 0);

        dialogs.messages.clear();
        ASSERT_TRUE(Open(path));
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(ViewTitles(tree).replace(kNewNodeTitle, QStringLiteral("new")), QString::fromUtf8(c.titlesAfter));
        EXPECT_EQ(ViewShape(tree), QString::fromUtf8(c.shapeAfter));
    }
}

}  // namespace

namespace {

// A link of the three-node project that contradicts the tree the loader builds from the
// header's chain, then three edits near it and a reopen.
TEST_F(EditAfterDamageTest, EditsNearAContradictedLinkKeepEveryShownNode)
{
    enum class Op { AddTop, AddChild, Insert, Delete, Paste };
    struct Step {
        Op op;
        int node;        // the selected node; for Paste the cut node
        int before = 0;  // for Paste the node it goes before
    };
    struct Case {
        const char* damage;
        int record, offset;
        int32_t value;
        Step steps[3];
        const char* titlesAfter;
        const char* shapeAfter;
    };
    const Case cases[] = {
        {"A1's child link back to its parent", 4, at::ChildRec, 2,
         {{Op::AddChild, 4}, {Op::Insert, 4}, {Op::Delete, 3}}, "A(new,A1(new))", "2(6,4(5))"},
        {"A1's child link back to itself", 4, at::ChildRec, 4,
         {{Op::AddChild, 4}, {Op::Insert, 4}, {Op::Delete, 3}}, "A(new,A1(new))", "2(6,4(5))"},
        {"A1's child link into the other branch", 4, at::ChildRec, 3,
         {{Op::AddChild, 4}, {Op::Insert, 3}, {Op::Delete, 4}}, "A,new,B", "2,6,3"},
        {"A1's child link back to its parent, A1 deleted first", 4, at::ChildRec, 2,
         {{Op::Delete, 4}, {Op::AddTop, 2}, {Op::Insert, 3}}, "A,new,B,new", "2,5,3,4"},
        {"B's previous link past the end", 3, at::PrevRec, 5,
         {{Op::AddChild, 2}, {Op::Insert, 3}, {Op::Delete, 4}}, "A(new),new,B", "2(5),6,3"},
        {"B's previous link past the end, a node pasted before B", 3, at::PrevRec, 5,
         {{Op::Paste, 4, 3}, {Op::AddTop, 2}, {Op::Delete, 2}}, "A1,B,new", "4,3,5"},
        {"A1's parent link naming B", 4, at::ParentRec, 3,
         {{Op::AddChild, 2}, {Op::Insert, 3}, {Op::Delete, 4}}, "A(new),new,B", "2(5),6,3"},
        {"A1's parent link naming B, A1 pasted before B", 4, at::ParentRec, 3,
         {{Op::Paste, 4, 3}, {Op::AddChild, 3}, {Op::Delete, 2}}, "A1,B(new)", "4,3(5)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        QFile::remove(path);
        ThreeNodeProject();
        ProjectRecord damaged = ReadRecord(path, c.record);
        damaged.SetLong(c.offset, c.value);
        WriteRecord(path, c.record, damaged);
        dialogs.messages.clear();
        ASSERT_TRUE(Open(path));
        EXPECT_EQ(dialogs.MessageTexts(), QStringList{msg::DamagedFile});
        EXPECT_EQ(ViewTitles(tree), QStringLiteral("A(A1),B"));

        for (const Step& step : c.steps) {
            Select(step.op == Op::Paste ? step.before : step.node);
            switch (step.op) {
            case Op::AddTop: AddTopNode(ctx); break;
            case Op::AddChild: AddChildNode(ctx); break;
            case Op::Insert: InsertNodeBefore(ctx); break;
            case Op::Delete: DeleteNode(ctx); break;
            case Op::Paste:
                state.CutNodeKey = NodeKey(step.node);
                PasteNode(ctx);
                break;
            }
        }
        EXPECT_EQ(dialogs.MessageTexts(), QStringList{msg::DamagedFile});  // no edit failed

        dialogs.messages.clear();
        ASSERT_TRUE(Open(path));
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(ViewTitles(tree).replace(kNewNodeTitle, QStringLiteral("new")), QString::fromUtf8(c.titlesAfter));
        ExpectConsistent(QString::fromUtf8(c.shapeAfter));
    }
}

}  // namespace
