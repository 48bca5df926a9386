#pragma once
// Creating, opening, loading, stamping and backing up project files.

#include "project/ProjectContext.h"
#include "project/RecordFile.h"

#include <QString>

namespace project {

inline const QString kDefaultProjectName = QStringLiteral("Config.QVR");
inline const QString kBackupSuffix = QStringLiteral(".Copy.QVR");

// True for an existing regular file that is not hidden.
bool ProjectFileExists(const QString& path);

// The backup's name: the whole file name followed by ".Copy.QVR".
QString BackupPathFor(const QString& path);

// Makes `path` a new, empty project file, asking before it replaces an existing one.
// Declining leaves the existing file and the tree as they are. False (reported) when the
// file could not be replaced or written.
bool CreateProjectFile(const ProjectContext& ctx, const QString& path);

// The open sequence: header, lock gate, tree load, opening-time stamp, read-only backup.
// True when the file exists and passed the lock gate. ProjectPath takes `path` only when
// the file also is a project file; a foreign file leaves no project file current.
bool OpenProjectFile(const ProjectContext& ctx, const QString& path, const QString& refusalText,
                     const QString& refusalTitle);

// Loads the tree from `path`: 0 when the file was taken, 1 when it is not a project file
// (or cannot be read). Any reload drops a pending cut mark.
int LoadProjectTree(const ProjectContext& ctx, const QString& path);

// Writes the opening time into record 1 (a zero-length file gets a whole new header).
bool UpdateProjectHeader(const ProjectContext& ctx, const QString& path);

// Replaces the read-only backup copy beside `path`.
bool MakeBackupCopy(const QString& path);

// Start-up: opens "Config.QVR" from the program folder when it exists. A refusal ends
// only the project opening. True when the open sequence returned true.
bool OpenDefaultProject(const ProjectContext& ctx, const QString& programFolder);

// File menu, New project and Open project. True when the caller is to clear the seven
// node-panel boxes.
bool CreatNewPro_Click(const ProjectContext& ctx);
bool OpenPro_Click(const ProjectContext& ctx);

// Reports a failed file step and, when something was already written, reloads the tree
// so that the view shows what the file now holds. Returns false when it reported.
bool CheckFileWork(const ProjectContext& ctx, const RecordFile& file);

}  // namespace project
