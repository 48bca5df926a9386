#pragma once
// Fuzz entry: the bytes as a project file in a fresh folder, taken through the open
// sequence (header, lock gate, tree load, stamp, backup) into a real tree view, then
// loaded a second time from the stamped file.

#include "SilentDialogs.h"
#include "project/ProjectContext.h"
#include "project/ProjectFiles.h"
#include "project/ProjectMessages.h"
#include "project/ProjectRecord.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// The view never shows more nodes than the file has node records (a last record counts
// once at least half of it is there), and no key twice.
inline bool TreeFitsFile(const project::TreeView& tree, qint64 fileSize)
{
    const qint64 records = (fileSize + project::kRecordSize / 2) / project::kRecordSize;
    const qint64 nodeRecords = std::max<qint64>(0, records - 1);
    if (tree.Count() > nodeRecords) return false;
    QSet<QString> keys;
    for (int index = 1; index <= tree.Count(); ++index) {
        const project::TreeView::Node* node = tree.NodeAt(index);
        if (!node) return false;
        const QString key = project::TreeView::KeyOf(node);
        if (keys.contains(key) || tree.NodeByKey(key) != node) return false;
        keys.insert(key);
    }
    return true;
}

// False when an invariant broke; a crash, hang or sanitizer report is the other failure.
inline bool RunProjectLoader(const uint8_t* data, size_t size)
{
    QTemporaryDir folder;
    if (!folder.isValid()) return true;
    const QString path = folder.filePath(QStringLiteral("Fuzz.QVR"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return true;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    SilentDialogs dialogs;
    project::ProjectState state;
    state.Now = [] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); };
    project::TreeView tree;
    const project::ProjectContext ctx{state, tree, dialogs};

    project::OpenProjectFile(ctx, path, project::msg::LockedEnglish, project::msg::LockedEnglishTitle);
    const qint64 stampedSize = QFileInfo(path).size();
    // The file never shrinks; the stamp only rewrites (or, for an empty file, adds) record 1.
    bool sound = stampedSize >= static_cast<qint64>(size) && TreeFitsFile(tree, stampedSize);
    if (state.ProjectPath.isEmpty()) return sound;

    const int firstCount = tree.Count();
    project::LoadProjectTree(ctx, state.ProjectPath);
    // The stamp touches no link, so the reload shows the same nodes.
    return sound && tree.Count() == firstCount && TreeFitsFile(tree, QFileInfo(path).size());
}

}  // namespace fuzz
