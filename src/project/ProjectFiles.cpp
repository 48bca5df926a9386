#include "project/ProjectFiles.h"

#include "project/ProjectMessages.h"
#include "project/TreeLinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace project {
namespace {

constexpr QFileDevice::Permissions kReadOnly =
    QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;

void ClearTree(const ProjectContext& ctx)
{
    ctx.tree.ClearNodes();
    ctx.state.CutNodeKey.clear();
}

// Adds the linked node chains to the tree view. The links are not trusted: a chain that
// leaves the file or loops back ends there, and a node that is not where its own key and
// parent key say it belongs is left out there, with its subtree; a later chain may still
// reach it where it belongs. A shown node whose parent or previous-sibling link names
// another record than the tree shows stays where the chain put it. Each such case marks
// the load as damaged.
class TreeLoader {
public:
    TreeLoader(const ProjectContext& ctx, RecordFile& file)
        : ctx_(ctx),
          file_(file),
          shown_(static_cast<size_t>(file.RecordCount()) + 1, false),
          leftOut_(static_cast<size_t>(file.RecordCount()) + 1, false)
    {
    }

    bool Damaged() const { return damaged_; }

    // Loads the chain at `firstRecord` and every chain below it, each node before its
    // children and its children before its next sibling. The pending chains are kept on
    // a work list instead of the call stack, so the nesting depth is bounded only by the
    // file and never by the stack. A record is shown at most once and left out at most
    // once, so every walk ends.
    void LoadTree(int32_t firstRecord)
    {
        std::vector<PendingChain> pending{{firstRecord, QString()}};
        while (!pending.empty()) {
            PendingChain chain = std::move(pending.back());
            pending.pop_back();
            const int32_t n = chain.recordNo;
            if (n == 0) continue;
            ProjectRecord rec;
            if (!MayShow(n) || !file_.Read(n, rec)) continue;
            if (!BelongsHere(rec, n, chain.parentKey)) {
                damaged_ = true;
                if (leftOut_[static_cast<size_t>(n)]) continue;
                leftOut_[static_cast<size_t>(n)] = true;
                pending.push_back({rec.NextRec(), std::move(chain.parentKey)});
                continue;
            }
            shown_[static_cast<size_t>(n)] = true;
            const TreeView::Node* node = AddToView(rec, chain.parentKey);
            pending.push_back({rec.NextRec(), std::move(chain.parentKey)});
            if (node && rec.ChildRec() != 0) pending.push_back({rec.ChildRec(), rec.NodeKey()});
        }
    }

private:
    bool MayShow(int32_t recordNo)
    {
        if (!file_.HoldsNode(recordNo) || shown_[static_cast<size_t>(recordNo)]) {
            damaged_ = true;
            return false;
        }
        return true;
    }

    bool BelongsHere(const ProjectRecord& rec, int32_t recordNo, const QString& parentKey) const
    {
        if (KeyToRecordNo(rec.NodeKey()) != recordNo) return false;
        if (parentKey.isEmpty()) return rec.ParentRec() < 1;
        return rec.ParentRec() >= 1 && rec.ParentKeyText() == parentKey;
    }

    TreeView::Node* AddToView(const ProjectRecord& rec, const QString& parentKey)
    {
        TreeView::Node* node =
            ctx_.tree.AddNode(parentKey, TreeView::Relationship::Child, rec.NodeKey(), rec.Text(Title));
        if (!node) {
            damaged_ = true;
            return nullptr;
        }
        ctx_.tree.SetNodeExpanded(node, rec.Expanded() != 0);
        TreeView::SetNodeImage(node, rec.NodeImage());
        const TreeView::Node* parent = node->parent();
        const NodeLinks shown = LinksAt(ctx_.tree, parent, ctx_.tree.ChainLength(parent) - 1);
        if (rec.ParentRec() != shown.parentRec || rec.PrevRec() != shown.prevRec) damaged_ = true;
        return node;
    }

    struct PendingChain {
        int32_t recordNo;
        QString parentKey;
    };

    const ProjectContext& ctx_;
    RecordFile& file_;
    std::vector<bool> shown_;
    std::vector<bool> leftOut_;
    bool damaged_ = false;
};

void ReportFileError(const ProjectContext& ctx)
{
    ctx.Hint(msg::FileError);
}

}  // namespace

void ProjectContext::Hint(const QString& text) const
{
    dialogs.Message(text, msg::Hint, common::MsgIcon::Exclamation, common::MsgButtons::Ok);
}

bool ProjectFileExists(const QString& path)
{
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

QString BackupPathFor(const QString& path)
{
    return path + kBackupSuffix;
}

bool CheckFileWork(const ProjectContext& ctx, const RecordFile& file)
{
    if (!file.Failed()) return true;
    ReportFileError(ctx);
    if (file.WroteAnything()) LoadProjectTree(ctx, ctx.state.ProjectPath);
    return false;
}

bool CreateProjectFile(const ProjectContext& ctx, const QString& path)
{
    if (QFileInfo::exists(path)) {
        const auto answer = ctx.dialogs.Message(msg::OverwriteQuestion, msg::Hint,
                                                common::MsgIcon::Exclamation, common::MsgButtons::YesNo);
        if (answer != common::MsgResult::Yes) return true;
        if (!QFile::remove(path)) {
            ReportFileError(ctx);
            return false;
        }
    }
    ClearTree(ctx);
    RecordFile file(path, RecordFile::Mode::ReadWrite);
    if (file.IsOpen() && file.Length() == 0) {
        ctx.state.ProjectHeader = NewHeader(DateTimeText(ctx.state.Now()));
        file.Write(1, ctx.state.ProjectHeader);
    }
    if (file.Failed()) {
        ReportFileError(ctx);
        return false;
    }
    return true;
}

int LoadProjectTree(const ProjectContext& ctx, const QString& path)
{
    ClearTree(ctx);
    RecordFile file(path, RecordFile::Mode::Read);
    if (!file.IsOpen()) {
        ReportFileError(ctx);
        return 1;
    }
    if (file.Length() == 0) return 0;
    ProjectRecord header;
    if (!file.Read(1, header) || StripBlanksAndNuls(header.Fixed(AuthorTag)) != kAuthorTagText) {
        ctx.Hint(msg::NotProjectFile);
        return 1;
    }
    ctx.state.ProjectHeader = header;
    if (header.FirstNode() <= 0) {
        ctx.Hint(msg::EmptyProject);
        return 0;
    }
    TreeLoader loader(ctx, file);
    loader.LoadTree(header.FirstNode());
    if (loader.Damaged()) ctx.Hint(msg::DamagedFile);
    return 0;
}

bool UpdateProjectHeader(const ProjectContext& ctx, const QString& path)
{
    RecordFile file(path, RecordFile::Mode::ReadWrite);
    const QString now = DateTimeText(ctx.state.Now());
    ProjectRecord header;
    if (file.IsOpen() && file.RecordCount() == 0) {
        // A zero-length file becomes an empty project with a whole header.
        header = NewHeader(now);
    } else if (file.Read(1, header)) {
        header.SetText(OpenedTime, now);
        header.SetText(UserField, QString());
    }
    if (!file.Failed() && file.Write(1, header)) ctx.state.ProjectHeader = header;
    if (file.Failed()) {
        ReportFileError(ctx);
        return false;
    }
    return true;
}

bool MakeBackupCopy(const QString& path)
{
    // Hidden and system attributes do not exist on this platform; the copy is read-only.
    const QString backup = BackupPathFor(path);
    if (QFileInfo::exists(backup)) {
        QFile::setPermissions(backup, kReadOnly | QFileDevice::WriteOwner | QFileDevice::WriteUser);
        if (!QFile::remove(backup)) return false;
    }
    if (!QFile::copy(path, backup)) return false;
    return QFile::setPermissions(backup, kReadOnly);
}

bool OpenProjectFile(const ProjectContext& ctx, const QString& path, const QString& refusalText,
                     const QString& refusalTitle)
{
    if (!ProjectFileExists(path)) return false;
    ProjectRecord header;
    {
        RecordFile file(path, RecordFile::Mode::Read);
        if (!file.IsOpen()) {
            ReportFileError(ctx);
            return false;
        }
        if (file.RecordCount() > 0 && !file.Read(1, header)) {
            ReportFileError(ctx);
            return false;
        }
    }
    if (header.LockFlag() == 1) {
        ctx.dialogs.Message(refusalText, refusalTitle, common::MsgIcon::Exclamation, common::MsgButtons::Ok);
        return false;
    }
    if (LoadProjectTree(ctx, path) != 0) {
        ctx.state.ProjectPath.clear();  // the view is empty and no file backs it
        return true;
    }
    ctx.state.ProjectPath = path;
    UpdateProjectHeader(ctx, path);
    if (!MakeBackupCopy(path)) ctx.Hint(msg::BackupFailed);
    ctx.state.ProjectOpen = true;
    return true;
}

bool OpenDefaultProject(const ProjectContext& ctx, const QString& programFolder)
{
    const QString path = QDir(programFolder).filePath(kDefaultProjectName);
    if (!ProjectFileExists(path)) return false;
    return OpenProjectFile(ctx, path, msg::LockedEnglish, msg::LockedEnglishTitle);
}

bool CreatNewPro_Click(const ProjectContext& ctx)
{
    const QString name = ctx.dialogs.SaveFileName(QString(), QStringLiteral("File(*.QVR)|*.QVR"), QString());
    if (name.size() < 5) return false;
    CreateProjectFile(ctx, name);
    return OpenProjectFile(ctx, name, msg::LockedEnglish, msg::LockedEnglishTitle);
}

bool OpenPro_Click(const ProjectContext& ctx)
{
    const QString name = ctx.dialogs.OpenFileName(QString(), QStringLiteral("文件(*.QVR)|*.QVR"), QString());
    return OpenProjectFile(ctx, name, msg::LockedChinese, msg::Hint);
}

}  // namespace project
