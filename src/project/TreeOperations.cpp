#include "project/TreeOperations.h"

#include "project/ProjectFiles.h"
#include "project/ProjectMessages.h"
#include "project/RecordFile.h"

namespace project {
namespace {

bool HasParent(const ProjectRecord& rec) { return rec.ParentRec() > 0; }
bool HasPrevious(const ProjectRecord& rec) { return rec.PrevRec() > 0; }
bool HasNext(const ProjectRecord& rec) { return rec.NextRec() > 0; }

// Runs one file work on the project file. Work returns early once the file has failed;
// the failure is then reported here and the view reloaded if anything was written.
template <typename Work>
void WithProjectFile(const ProjectContext& ctx, Work work)
{
    if (ctx.state.ProjectPath.isEmpty()) {
        ctx.Hint(msg::NoProjectFile);
        return;
    }
    RecordFile file(ctx.state.ProjectPath, RecordFile::Mode::ReadWrite);
    if (file.IsOpen()) work(file);
    CheckFileWork(ctx, file);
}

// Reads, changes and writes back one record.
template <typename Change>
bool UpdateRecord(RecordFile& file, int32_t recordNo, Change change)
{
    ProjectRecord rec;
    if (!file.Read(recordNo, rec)) return false;
    change(rec);
    return file.Write(recordNo, rec);
}

void SetLinks(ProjectRecord& rec, int32_t parent, int32_t prev, int32_t next, const QString& parentKey)
{
    rec.SetLong(at::ParentRec, parent);
    rec.SetLong(at::PrevRec, prev);
    rec.SetLong(at::NextRec, next);
    rec.SetFixed(ParentKey, parentKey);
}

// Writes `node` (record `n`, links still to set) as the last top-level node.
bool AppendTopLevel(const ProjectContext& ctx, RecordFile& file, ProjectRecord& node, int32_t n)
{
    ProjectRecord& header = ctx.state.ProjectHeader;
    if (!file.Read(1, header)) return false;
    // A first-node link that leaves the file counts as an empty tree, as it loaded.
    if (file.HoldsNode(header.FirstNode())) {
        const int32_t last = file.FindLastSibling(header.FirstNode());
        if (file.Failed()) return false;
        SetLinks(node, -1, last, 0, QString());
        return file.Write(n, node) &&
               UpdateRecord(file, last, [n](ProjectRecord& rec) { rec.SetLong(at::NextRec, n); });
    }
    SetLinks(node, -1, -1, 0, QString());
    if (!file.Write(n, node)) return false;
    header.SetLong(at::FirstNode, n);
    return file.Write(1, header);
}

// Writes `node` (record `n`) as the last child of record `p`.
bool AppendChild(RecordFile& file, ProjectRecord& node, int32_t n, int32_t p)
{
    ProjectRecord parent;
    if (!file.Read(p, parent)) return false;
    // A child link that leaves the file counts as no children, as it loaded.
    const int32_t firstChild = file.HoldsNode(parent.ChildRec()) ? parent.ChildRec() : 0;
    const int32_t last = firstChild != 0 ? file.FindLastSibling(firstChild) : 0;
    if (file.Failed()) return false;
    SetLinks(node, p, last != 0 ? last : -1, 0, parent.NodeKey());
    if (!file.Write(n, node)) return false;
    if (last != 0) return UpdateRecord(file, last, [n](ProjectRecord& l) { l.SetLong(at::NextRec, n); });
    return UpdateRecord(file, p, [n](ProjectRecord& r) { r.SetLong(at::ChildRec, n); });
}

// Takes the node record `rec` out of its chain, fixing its neighbours, its parent
// or the header.
bool Unlink(const ProjectContext& ctx, RecordFile& file, const ProjectRecord& rec)
{
    const int32_t next = rec.NextRec();
    if (!HasPrevious(rec) && !HasParent(rec)) {
        ProjectRecord& header = ctx.state.ProjectHeader;
        if (!file.Read(1, header)) return false;
        if (HasNext(rec) && !UpdateRecord(file, next, [](ProjectRecord& n) { n.SetLong(at::PrevRec, -1); }))
            return false;
        header.SetLong(at::FirstNode, HasNext(rec) ? next : -1);
        return file.Write(1, header);
    }
    if (!HasPrevious(rec)) {
        if (HasNext(rec) && !UpdateRecord(file, next, [](ProjectRecord& n) { n.SetLong(at::PrevRec, -1); }))
            return false;
        return UpdateRecord(file, rec.ParentRec(),
                            [&](ProjectRecord& p) { p.SetLong(at::ChildRec, HasNext(rec) ? next : 0); });
    }
    const int32_t prev = rec.PrevRec();
    if (HasNext(rec) && !UpdateRecord(file, next, [prev](ProjectRecord& n) { n.SetLong(at::PrevRec, prev); }))
        return false;
    return UpdateRecord(file, prev, [&](ProjectRecord& v) { v.SetLong(at::NextRec, HasNext(rec) ? next : 0); });
}

// Writes `moving` (record `c`) into the chain just before record `s`, at its level.
bool LinkBefore(const ProjectContext& ctx, RecordFile& file, ProjectRecord& moving, int32_t c, int32_t s)
{
    ProjectRecord target;
    if (!file.Read(s, target)) return false;
    const bool topLevel = !HasParent(target);
    moving.SetInteger(at::InUse, 1);
    SetLinks(moving, topLevel ? -1 : target.ParentRec(), HasPrevious(target) ? target.PrevRec() : -1, s,
             topLevel ? QString() : target.ParentKeyText());
    if (!file.Write(c, moving)) return false;
    const int32_t prev = target.PrevRec();
    target.SetLong(at::PrevRec, c);
    if (!file.Write(s, target)) return false;
    if (HasPrevious(moving))
        return UpdateRecord(file, prev, [c](ProjectRecord& v) { v.SetLong(at::NextRec, c); });
    if (!topLevel)
        return UpdateRecord(file, target.ParentRec(), [c](ProjectRecord& p) { p.SetLong(at::ChildRec, c); });
    ProjectRecord& header = ctx.state.ProjectHeader;
    if (!file.Read(1, header)) return false;
    header.SetLong(at::FirstNode, c);
    return file.Write(1, header);
}

// A new node is shown as it is stored: expanded, image 0.
void ShowNewNode(const ProjectContext& ctx, TreeView::Node* node)
{
    if (!node) return;
    ctx.tree.SetNodeExpanded(node, true);
    TreeView::SetNodeImage(node, 0);
}

int32_t RecordOf(const TreeView::Node* node)
{
    return KeyToRecordNo(TreeView::KeyOf(node));
}

}  // namespace

void AddTopNode(const ProjectContext& ctx)
{
    WithProjectFile(ctx, [&](RecordFile& file) {
        const int32_t n = file.FindFreeRecord();
        if (file.Failed()) return;
        ProjectRecord& node = ctx.state.NodeRec;
        BuildNewNode(node, n, NewSettings::ClearBlock);
        if (!AppendTopLevel(ctx, file, node, n)) return;
        ShowNewNode(ctx, ctx.tree.AddNode(QString(), TreeView::Relationship::Child, node.NodeKey(), node.Text(Title)));
    });
}

void AddChildNode(const ProjectContext& ctx)
{
    TreeView::Node* selected = ctx.tree.SelectedItem();
    WithProjectFile(ctx, [&](RecordFile& file) {
        const int32_t n = file.FindFreeRecord();
        if (file.Failed()) return;
        ProjectRecord& node = ctx.state.NodeRec;
        BuildNewNode(node, n, NewSettings::ClearFirstByteOnly);
        if (!selected) {
            if (!AppendTopLevel(ctx, file, node, n)) return;
            TreeView::Node* added =
                ctx.tree.AddNode(QString(), TreeView::Relationship::Child, node.NodeKey(), node.Text(Title));
            ShowNewNode(ctx, added);
            ctx.tree.SetSelected(added);
            return;
        }
        if (!AppendChild(file, node, n, RecordOf(selected))) return;
        ShowNewNode(ctx, ctx.tree.AddNode(TreeView::KeyOf(selected), TreeView::Relationship::Child,
                                          node.NodeKey(), node.Text(Title)));
    });
}

void InsertNodeBefore(const ProjectContext& ctx)
{
    TreeView::Node* selected = ctx.tree.SelectedItem();
    if (!selected) {
        ctx.Hint(msg::NoNodeSelected);
        return;
    }
    WithProjectFile(ctx, [&](RecordFile& file) {
        const int32_t n = file.FindFreeRecord();
        if (file.Failed()) return;
        ProjectRecord& node = ctx.state.NodeRec;
        BuildNewNode(node, n, NewSettings::ClearBlock);
        if (!LinkBefore(ctx, file, node, n, RecordOf(selected))) return;
        ShowNewNode(ctx, ctx.tree.AddNode(TreeView::KeyOf(selected), TreeView::Relationship::Previous,
                                          node.NodeKey(), node.Text(Title)));
    });
}

void DeleteNode(const ProjectContext& ctx)
{
    TreeView::Node* selected = ctx.tree.SelectedItem();
    if (!selected) {
        ctx.Hint(msg::NoNodeSelected);
        return;
    }
    WithProjectFile(ctx, [&](RecordFile& file) {
        const int32_t r = RecordOf(selected);
        ProjectRecord rec;
        if (!file.Read(r, rec) || !Unlink(ctx, file, rec)) return;
        if (rec.ChildRec() != 0) file.FreeNodeChain(rec.ChildRec());
        if (file.Failed()) return;
        ClearDeletedNode(rec);
        if (!file.Write(r, rec)) return;
        ctx.tree.RemoveAt(ctx.tree.IndexOf(selected));
    });
}

bool UnlinkNode(const ProjectContext& ctx, RecordFile& file, const QString& key)
{
    TreeView::Node* node = ctx.tree.NodeByKey(key);
    if (key.isEmpty() || !node) {
        ctx.Hint(msg::NoNodeSelected);
        return false;
    }
    const int32_t r = RecordOf(node);
    ProjectRecord rec;
    if (!file.Read(r, rec)) return false;
    ctx.state.CutRec = rec;
    if (!Unlink(ctx, file, rec)) return false;
    rec.SetInteger(at::InUse, 0);
    if (!file.Write(r, rec)) return false;
    ctx.tree.RemoveAt(ctx.tree.IndexOf(node));
    return true;
}

void PasteNode(const ProjectContext& ctx)
{
    TreeView::Node* selected = ctx.tree.SelectedItem();
    if (!selected) {
        ctx.Hint(msg::NoNodeSelected);
        return;
    }
    const QString cutKey = ctx.state.CutNodeKey;
    const TreeView::Node* cut = ctx.tree.NodeByKey(cutKey);
    if (cutKey.isEmpty() || !cut) {
        ctx.Hint(msg::NoNodeSelected);
        return;
    }
    if (TreeView::IsWithin(selected, cut)) {
        ctx.Hint(msg::PasteIntoItself);
        return;
    }
    const int32_t target = RecordOf(selected);
    bool moved = false;
    WithProjectFile(ctx, [&](RecordFile& file) {
        if (!UnlinkNode(ctx, file, cutKey)) return;
        moved = LinkBefore(ctx, file, ctx.state.CutRec, KeyToRecordNo(cutKey), target);
    });
    if (moved) LoadProjectTree(ctx, ctx.state.ProjectPath);
}

void SetNodeExpanded(const ProjectContext& ctx, int32_t recordNo, int16_t flag)
{
    WithProjectFile(ctx, [&](RecordFile& file) {
        ProjectRecord& rec = ctx.state.NodeRec;
        if (!file.Read(recordNo, rec)) return;
        rec.SetInteger(at::Expanded, flag);
        file.Write(recordNo, rec);
    });
}

}  // namespace project
