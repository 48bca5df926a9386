#pragma once
// The links a node's record carries in the tree the view shows. Tree edits write these,
// never a stored link the view contradicts, and the loader checks the stored ones
// against them.

#include "project/ProjectRecord.h"
#include "project/TreeView.h"

#include <QString>
#include <cstdint>

namespace project {

struct NodeLinks {
    int32_t parentRec = -1;  // -1 at the top level
    int32_t prevRec = -1;    // -1 for the first of a chain
    int32_t nextRec = 0;     // 0 for the last of a chain
    int32_t childRec = 0;    // 0 for no children
    QString parentKey;       // the parent's key; empty (stored as blanks) at the top level
};

// The record number of a node of the view, from its key.
int32_t RecordOf(const TreeView::Node* node);

// The links of the node at `position` in the chain of `parent` (nullptr: the top level).
NodeLinks LinksAt(const TreeView& tree, const TreeView::Node* parent, int position);

// The links of `node` where the view shows it.
NodeLinks LinksInView(const TreeView& tree, const TreeView::Node* node);

// Gives `rec` the parent, sibling and child links and the parent key of `links`.
void SetNodeLinks(ProjectRecord& rec, const NodeLinks& links);

}  // namespace project
