#pragma once
// What every project procedure works with: the state, the tree control and the dialogs.

#include "common/Dialogs.h"
#include "project/ProjectState.h"
#include "project/TreeView.h"

namespace project {

struct ProjectContext {
    ProjectState& state;
    TreeView& tree;
    common::Dialogs& dialogs;

    void Hint(const QString& text) const;  // exclamation, OK, "提示"
};

}  // namespace project
