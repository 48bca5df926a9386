#pragma once
// The project subsystem's state, held by the application for its whole life.

#include "project/ProjectRecord.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace project {

struct ProjectState {
    QString ProjectPath;        // the project file every tree edit reads and writes
    bool ProjectOpen = false;   // true from the first successful open on
    ProjectRecord ProjectHeader;  // the last copy of record 1 read or written
    ProjectRecord NodeRec;        // the working node record, never cleared between uses
    ProjectRecord CutRec;         // the node being moved by cut and paste

    bool TreeBusy = false;      // true while an Edit-menu command changes the tree
    QString CutNodeKey;         // the node key marked by Cut; empty when no cut is pending

    common::Bytes SetDataClip;  // the setting-data copy buffer; empty until the first copy

    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
};

}  // namespace project
