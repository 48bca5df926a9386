#pragma once
// Shared helpers for the project tests: a project in a temporary folder, raw record
// access, and the shape of the tree as the file links it and as the view shows it.

#include "project/ProjectContext.h"
#include "project/ProjectFiles.h"
#include "project/ProjectRecord.h"
#include "project/TreeView.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QLineEdit>
#include <QString>
#include <gtest/gtest.h>
#include <set>

#include <csignal>
#include <sys/resource.h>

namespace projecttest {

// The tree's open label editor. An editor closed before lingers, hidden, until its deferred
// deletion, so the visible one is looked for.
inline QLineEdit* OpenLabelEditor(const project::TreeView& tree)
{
    for (QLineEdit* editor : tree.viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible()) return editor;
    return nullptr;
}

// Makes the disk look full to this process: no file may grow beyond `bytes`.
class DiskFull {
public:
    explicit DiskFull(qint64 bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFull()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

using project::ProjectRecord;

inline ProjectRecord ReadRecord(const QString& path, int n)
{
    ProjectRecord rec;
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    f.seek(static_cast<qint64>(n - 1) * project::kRecordSize);
    f.read(reinterpret_cast<char*>(rec.bytes.data()), project::kRecordSize);
    return rec;
}

inline void WriteRecord(const QString& path, int n, const ProjectRecord& rec)
{
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.seek(static_cast<qint64>(n - 1) * project::kRecordSize);
    f.write(reinterpret_cast<const char*>(rec.bytes.data()), project::kRecordSize);
}

inline qint64 FileSize(const QString& path) { return QFileInfo(path).size(); }

// "2(4,5),3": the view's nodes in order, children in brackets, each named by `label`
// (by default its record number).
template <typename Label>
QString ViewShape(const QTreeWidgetItem* parent, const project::TreeView& tree, const Label& label)
{
    QStringList parts;
    const int count = parent ? parent->childCount() : tree.topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = parent ? parent->child(i) : tree.topLevelItem(i);
        QString part = label(item);
        if (item->childCount() > 0) part += QLatin1Char('(') + ViewShape(item, tree, label) + QLatin1Char(')');
        parts << part;
    }
    return parts.join(QLatin1Char(','));
}

inline QString ViewShape(const project::TreeView& tree)
{
    return ViewShape(nullptr, tree, [](const QTreeWidgetItem* item) {
        return QString::number(project::KeyToRecordNo(project::TreeView::KeyOf(item)));
    });
}

// The same shape named by the nodes' texts.
inline QString ViewTitles(const project::TreeView& tree)
{
    return ViewShape(nullptr, tree, [](const QTreeWidgetItem* item) { return project::TreeView::NodeText(item); });
}

// The same shape read from the file's links, checking every link invariant on the way.
class FileWalker {
public:
    explicit FileWalker(const QString& path) : path_(path) {}

    QString Shape()
    {
        const ProjectRecord header = ReadRecord(path_, 1);
        EXPECT_EQ(header.InUse(), 1);
        if (header.FirstNode() == -1) return QString();
        return Chain(header.FirstNode(), -1);
    }

    // Records in use that the links do not reach.
    std::set<int> Orphans() const
    {
        std::set<int> orphans;
        const int count = static_cast<int>(FileSize(path_) / project::kRecordSize);
        for (int n = 2; n <= count; ++n)
            if (ReadRecord(path_, n).InUse() == 1 && !reached_.count(n)) orphans.insert(n);
        return orphans;
    }

private:
    QString Chain(int first, int parent)
    {
        QStringList parts;
        int prev = -1;
        for (int n = first; n != 0;) {
            if (reached_.count(n) || reached_.size() > 1000) {
                ADD_FAILURE() << "loop at record " << n;
                break;
            }
            reached_.insert(n);
            const ProjectRecord rec = ReadRecord(path_, n);
            EXPECT_EQ(rec.InUse(), 1) << n;
            EXPECT_EQ(rec.SelfRec(), n);
            EXPECT_EQ(rec.NodeKey(), project::NodeKey(n));
            EXPECT_EQ(rec.PrevRec(), prev) << n;
            EXPECT_EQ(rec.ParentRec(), parent) << n;
            EXPECT_EQ(rec.ParentKeyText(), parent == -1 ? QString(20, QLatin1Char(' ')) : project::NodeKey(parent));
            QString part = QString::number(n);
            if (rec.ChildRec() != 0) part += QLatin1Char('(') + Chain(rec.ChildRec(), n) + QLatin1Char(')');
            parts << part;
            prev = n;
            n = rec.NextRec();
        }
        return parts.join(QLatin1Char(','));
    }

    QString path_;
    std::set<int> reached_;
};

// A project in a temporary folder with its tree, dialogs and state.
class ProjectTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder;
    testsupport::ScriptedDialogs dialogs;
    project::ProjectState state;
    project::TreeView tree;
    project::ProjectContext ctx{state, tree, dialogs};
    QString path = folder.file(QStringLiteral("Test.QVR"));

    ProjectTest()
    {
        state.Now = [] { return QDateTime(QDate(2026, 3, 7), QTime(9, 5, 4)); };
    }

    void NewProject()
    {
        ASSERT_TRUE(project::CreateProjectFile(ctx, path));
        ASSERT_TRUE(project::OpenProjectFile(ctx, path, QStringLiteral("locked"), QStringLiteral("t")));
        dialogs.messages.clear();
    }

    void Select(int recordNo) { tree.SetSelected(tree.NodeByKey(project::NodeKey(recordNo))); }

    // The file and the view describe the same tree, and the file's links are sound.
    void ExpectConsistent(const QString& expectedShape)
    {
        FileWalker walker(path);
        EXPECT_EQ(walker.Shape(), expectedShape);
        EXPECT_EQ(ViewShape(tree), expectedShape);
        EXPECT_TRUE(walker.Orphans().empty());
    }
};

}  // namespace projecttest
