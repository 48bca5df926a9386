#pragma once
// The project file as a random-access file of 2790-byte records, opened for one handler's
// work and closed when the object goes away. Every failure is remembered, so a handler
// can report it instead of taking a failed read or write for success.

#include "project/ProjectRecord.h"

#include <QFile>
#include <QString>

namespace project {

class RecordFile {
public:
    enum class Mode { Read, ReadWrite };

    RecordFile(const QString& path, Mode mode);

    bool IsOpen() const { return file_.isOpen(); }
    bool Failed() const { return failed_; }
    bool WroteAnything() const { return wrote_; }
    QString ErrorText() const { return error_; }

    qint64 Length() const { return file_.size(); }

    // Complete records in the file; a truncated last record does not count.
    int32_t RecordCount() const;

    // True when `recordNo` names a complete node record of the file.
    bool HoldsNode(int32_t recordNo) const { return recordNo >= 2 && recordNo <= RecordCount(); }

    // Reads record `recordNo` (1-based). A record outside the file fails and leaves
    // `rec` unchanged.
    bool Read(int32_t recordNo, ProjectRecord& rec);

    // Writes record `recordNo`; writing just past the last record lengthens the file.
    bool Write(int32_t recordNo, const ProjectRecord& rec);

    // The lowest free node record, or the record just past the complete ones. A
    // truncated last record is taken as free space.
    int32_t FindFreeRecord();

    // The last record of the chain that starts at `recordNo`; stops at a link that leaves
    // the file or loops back, so a damaged chain never hangs.
    int32_t FindLastSibling(int32_t recordNo);

    // Marks the chain at `recordNo` and all its descendants free.
    void FreeNodeChain(int32_t recordNo);

private:
    void Fail(const QString& what);

    QFile file_;
    bool failed_ = false;
    bool wrote_ = false;
    QString error_;
};

}  // namespace project
