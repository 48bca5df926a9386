#include "project/TreeOperations.h"

#include "project/ProjectFiles.h"
#include "project/ProjectMessages.h"
#include "project/RecordFile.h"
#include "project/TreeLinks.h"

namespace project {
namespace {

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

// Rewrites the record of `node` with the links the view gives it, after `change` has
// adjusted them for the edit under way.
template <typename Change>
bool RelinkRecord(const ProjectContext& ctx, RecordFile& file, const TreeView::Node* node, Change change)
{
    NodeLinks links = LinksInView(ctx.tree, node);
    change(links);
    return UpdateRecord(file, RecordOf(node), [&](ProjectRecord& rec) { SetNodeLinks(rec, links); });
}

bool SetFirstNode(const ProjectContext& ctx, RecordFile& file, int32_t first)
{
    ProjectRecord& header = ctx.state.ProjectHeader;
    if (!file.Read(1, header)) return false;
    header.SetLong(at::FirstNode, first);
    return file.Write(1, header);
}

// Points the chain of `parent` (nullptr: the top level) at `first` as its first record:
// the parent's child link or the header's first node.
bool SetChainStart(const ProjectContext& ctx, RecordFile& file, const TreeView::Node* parent, int32_t first)
{
    if (!parent) return SetFirstNode(ctx, file, first == 0 ? -1 : first);
    return RelinkRecord(ctx, file, parent, [first](NodeLinks& l) { l.childRec = first; });
}

// Writes `rec` (record `c`, keeping its child link) into the chain of `parent` between
// the view's nodes `prev` and `next` (either may be nullptr), and links them to it.
bool LinkBetween(const ProjectContext& ctx, RecordFile& file, ProjectRecord& rec, int32_t c,
                 const TreeView::Node* parent, const TreeView::Node* prev, const TreeView::Node* next)
{
    NodeLinks links;
    if (parent) {
        links.parentRec = RecordOf(parent);
        links.parentKey = TreeView::KeyOf(parent);
    }
    if (prev) links.prevRec = RecordOf(prev);
    if (next) links.nextRec = RecordOf(next);
    links.childRec = rec.ChildRec();
    rec.SetInteger(at::InUse, 1);
    SetNodeLinks(rec, links);
    if (!file.Write(c, rec)) return false;
    const bool linkedFromBefore = prev ? RelinkRecord(ctx, file, prev, [c](NodeLinks& l) { l.nextRec = c; })
                                       : SetChainStart(ctx, file, parent, c);
    if (!linkedFromBefore) return false;
    return !next || RelinkRecord(ctx, file, next, [c](NodeLinks& l) { l.prevRec = c; });
}

// Takes the record of the view's `node` out of its chain: its neighbours in the view
// point at each other, or its parent or the header at the next one.
bool Unlink(const ProjectContext& ctx, RecordFile& file, const TreeView::Node* node)
{
    const TreeView::Node* parent = node->parent();
    const int position = ctx.tree.PositionOf(node);
    const TreeView::Node* prev = ctx.tree.ChainAt(parent, position - 1);
    const TreeView::Node* next = ctx.tree.ChainAt(parent, position + 1);
    const int32_t nextRec = next ? RecordOf(next) : 0;
    const bool linkedPast = prev ? RelinkRecord(ctx, file, prev, [nextRec](NodeLinks& l) { l.nextRec = nextRec; })
                                 : SetChainStart(ctx, file, parent, nextRec);
    if (!linkedPast) return false;
    const int32_t prevRec = prev ? RecordOf(prev) : -1;
    return !next || RelinkRecord(ctx, file, next, [prevRec](NodeLinks& l) { l.prevRec = prevRec; });
}

// Marks the records of the view's nodes below `node` free.
bool FreeDescendants(RecordFile& file, TreeView::Node* node)
{
    const std::vector<TreeView::Node*> subtree = TreeView::Subtree(node);
    for (auto it = subtree.begin() + 1; it != subtree.end(); ++it)
        if (!UpdateRecord(file, RecordOf(*it), [](ProjectRecord& rec) { rec.SetInteger(at::InUse, 0); }))
            return false;
    return true;
}

// Writes `rec` (record `c`) into the chain just before the view's node `next`.
bool LinkBefore(const ProjectContext& ctx, RecordFile& file, ProjectRecord& rec, int32_t c, const TreeView::Node* next)
{
    const TreeView::Node* parent = next->parent();
    return LinkBetween(ctx, file, rec, c, parent, ctx.tree.ChainAt(parent, ctx.tree.PositionOf(next) - 1), next);
}

TreeView::Node* LastOfChain(const TreeView& tree, const TreeView::Node* parent)
{
    return tree.ChainAt(parent, tree.ChainLength(parent) - 1);
}

// A new node is shown as it is stored: expanded, image 0.
void ShowNewNode(const ProjectContext& ctx, TreeView::Node* node)
{
    if (!node) return;
    ctx.tree.SetNodeExpanded(node, true);
    TreeView::SetNodeImage(node, 0);
}

}  // namespace

void AddTopNode(const ProjectContext& ctx)
{
    WithProjectFile(ctx, [&](RecordFile& file) {
        const int32_t n = file.FindFreeRecord();
        if (file.Failed()) return;
        ProjectRecord& node = ctx.state.NodeRec;
        BuildNewNode(node, n, NewSettings::ClearBlock);
        if (!LinkBetween(ctx, file, node, n, nullptr, LastOfChain(ctx.tree, nullptr), nullptr)) return;
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
        if (!LinkBetween(ctx, file, node, n, selected, LastOfChain(ctx.tree, selected), nullptr)) return;
        TreeView::Node* added =
            ctx.tree.AddNode(TreeView::KeyOf(selected), TreeView::Relationship::Child, node.NodeKey(), node.Text(Title));
        ShowNewNode(ctx, added);
        if (!selected) ctx.tree.SetSelected(added);
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
        if (!LinkBefore(ctx, file, node, n, selected)) return;
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
        if (!file.Read(r, rec) || !Unlink(ctx, file, selected) || !FreeDescendants(file, selected)) return;
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
    rec.SetLong(at::ChildRec, LinksInView(ctx.tree, node).childRec);  // the subtree moves as shown
    ctx.state.CutRec = rec;
    if (!Unlink(ctx, file, node)) return false;
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
    bool moved = false;
    WithProjectFile(ctx, [&](RecordFile& file) {
        if (!UnlinkNode(ctx, file, cutKey)) return;
        moved = LinkBefore(ctx, file, ctx.state.CutRec, KeyToRecordNo(cutKey), selected);
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
