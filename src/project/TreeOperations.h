#pragma once
// The operations that change the shape of the product tree. Each works on the project
// file ctx.state.ProjectPath and on the tree view together, so both describe the same
// tree: every link an edit writes comes from the tree the view shows, never from a
// stored link of a damaged file. A file step that fails is reported and the view is
// reloaded from the file.

#include "project/ProjectContext.h"

namespace project {

class RecordFile;

// A new node at the end of the top level.
void AddTopNode(const ProjectContext& ctx);

// A new last child of the selected node; with no selection a new last top-level node,
// which becomes selected.
void AddChildNode(const ProjectContext& ctx);

// A new node just before the selected node, at its level.
void InsertNodeBefore(const ProjectContext& ctx);

// Removes the selected node and frees its subtree.
void DeleteNode(const ProjectContext& ctx);

// Moves the node marked by ctx.state.CutNodeKey, with its subtree, to just before the
// selected node, then reloads the tree. Refused (nothing changes) with no selection, with
// a mark that names no node of the view, and onto the cut node or its own subtree.
void PasteNode(const ProjectContext& ctx);

// Takes the node with `key` out of its place in `file` and the view, keeping its record
// in ctx.state.CutRec. False (with "没有选择节点！") when the view has no such node.
bool UnlinkNode(const ProjectContext& ctx, RecordFile& file, const QString& key);

// Stores a node's expanded state (any nonzero flag means expanded).
void SetNodeExpanded(const ProjectContext& ctx, int32_t recordNo, int16_t flag);

}  // namespace project
