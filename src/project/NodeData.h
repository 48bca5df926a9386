#pragma once
// Reading and writing what one node holds: its six texts, its setting block and title.

#include "params/ParamTypes.h"
#include "project/ProjectContext.h"

#include <array>

namespace project {

using NodeTexts = std::array<QString, 6>;  // node-panel boxes 1..6

// Reads the node's record into NodeRec, its setting block into SetData(0..DataLen-1)
// and its six texts into `texts`. False (reported, nothing changed) when it cannot be
// read.
bool ShowNodeNotes(const ProjectContext& ctx, const TreeView::Node* node, params::ParamState& params,
                   NodeTexts& texts);

// Stores SetData(0..DataLen-1) and the six texts into the node's record; every other
// field is written back as read. With no node: "请选择对象!" and nothing is written.
bool SaveNodeNotes(const ProjectContext& ctx, const TreeView::Node* node, const params::ParamState& params,
                   const NodeTexts& texts);

// Stores a new title, cut to 40 bytes.
bool RenameNode(const ProjectContext& ctx, const TreeView::Node* node, const QString& newTitle);

}  // namespace project
