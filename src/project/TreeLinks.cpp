#include "project/TreeLinks.h"

namespace project {

int32_t RecordOf(const TreeView::Node* node)
{
    return KeyToRecordNo(TreeView::KeyOf(node));
}

NodeLinks LinksAt(const TreeView& tree, const TreeView::Node* parent, int position)
{
    NodeLinks links;
    if (parent) {
        links.parentRec = RecordOf(parent);
        links.parentKey = TreeView::KeyOf(parent);
    }
    if (const TreeView::Node* prev = tree.ChainAt(parent, position - 1)) links.prevRec = RecordOf(prev);
    if (const TreeView::Node* next = tree.ChainAt(parent, position + 1)) links.nextRec = RecordOf(next);
    const TreeView::Node* node = tree.ChainAt(parent, position);
    if (node && node->childCount() > 0) links.childRec = RecordOf(node->child(0));
    return links;
}

NodeLinks LinksInView(const TreeView& tree, const TreeView::Node* node)
{
    return LinksAt(tree, node->parent(), tree.PositionOf(node));
}

void SetNodeLinks(ProjectRecord& rec, const NodeLinks& links)
{
    rec.SetLong(at::ParentRec, links.parentRec);
    rec.SetLong(at::PrevRec, links.prevRec);
    rec.SetLong(at::NextRec, links.nextRec);
    rec.SetLong(at::ChildRec, links.childRec);
    rec.SetFixed(ParentKey, links.parentKey);
}

}  // namespace project
