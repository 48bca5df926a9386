#include "project/NodeData.h"

#include "project/ProjectFiles.h"
#include "project/ProjectMessages.h"
#include "project/RecordFile.h"
#include "project/TreeLinks.h"

namespace project {
namespace {

int SettingsLength(const params::ParamState& params)
{
    return params.ProtoInfo[0].DataLen;
}

// Opens the project file, reads the node's record into NodeRec and, when `change` is
// given, writes it back changed. Failures are reported; NodeRec and the file stay as
// they were.
template <typename Change>
bool WithNodeRecord(const ProjectContext& ctx, const TreeView::Node* node, RecordFile::Mode mode,
                    Change change)
{
    if (ctx.state.ProjectPath.isEmpty()) {
        ctx.Hint(msg::NoProjectFile);
        return false;
    }
    const int32_t recordNo = RecordOf(node);
    RecordFile file(ctx.state.ProjectPath, mode);
    ProjectRecord rec;
    if (file.Read(recordNo, rec) && change(rec)) file.Write(recordNo, rec);
    if (file.Failed()) {
        ctx.Hint(msg::FileError);
        return false;
    }
    ctx.state.NodeRec = rec;
    return true;
}

}  // namespace

bool ShowNodeNotes(const ProjectContext& ctx, const TreeView::Node* node, params::ParamState& params,
                   NodeTexts& texts)
{
    if (!node) return false;
    const bool read = WithNodeRecord(ctx, node, RecordFile::Mode::Read, [](ProjectRecord&) { return false; });
    if (!read) return false;
    const ProjectRecord& rec = ctx.state.NodeRec;
    rec.LoadSettings(params.SetData, SettingsLength(params));
    for (size_t i = 0; i < texts.size(); ++i) texts[i] = rec.Text(kNoteFields[i]);
    return true;
}

bool SaveNodeNotes(const ProjectContext& ctx, const TreeView::Node* node, const params::ParamState& params,
                   const NodeTexts& texts)
{
    if (!node) {
        ctx.Hint(msg::ChooseObject);
        return false;
    }
    return WithNodeRecord(ctx, node, RecordFile::Mode::ReadWrite, [&](ProjectRecord& rec) {
        rec.StoreSettings(params.SetData, SettingsLength(params));
        for (size_t i = 0; i < texts.size(); ++i) rec.SetText(kNoteFields[i], texts[i]);
        return true;
    });
}

bool RenameNode(const ProjectContext& ctx, const TreeView::Node* node, const QString& newTitle)
{
    if (!node) return false;
    return WithNodeRecord(ctx, node, RecordFile::Mode::ReadWrite, [&](ProjectRecord& rec) {
        rec.SetText(Title, newTitle);
        return true;
    });
}

}  // namespace project
