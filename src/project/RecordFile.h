#pragma once
// The project file as a random-access file of 2790-byte records, opened for one handler's
// work and closed when the object goes away. Every failure is remembered, so a handler
// can report it instead of taking a failed read or write for success.

#include "project/ProjectRecord.h"

#include <QFile>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

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

    // Records in the file: its length in records, rounded to the nearest whole number
    // (halves to even), so a last record more than half there counts as a record.
    int32_t RecordCount() const;

    // True when `recordNo` names a node record of the file.
    bool HoldsNode(int32_t recordNo) const { return recordNo >= 2 && recordNo <= RecordCount(); }

    // Reads record `recordNo` (1-based); the missing tail of a short last record reads as
    // zeros. A record outside the file fails and leaves `rec` unchanged.
    bool Read(int32_t recordNo, ProjectRecord& rec);

    // Writes record `recordNo`; writing just past the last record lengthens the file, and
    // a short last record before it is first made whole.
    bool Write(int32_t recordNo, const ProjectRecord& rec);

    // The lowest free node record, or the record just past the last one. A record that
    // the tree's links reach is never free, whatever its in-use flag says. Before the
    // record past the end is handed out, links of the tree that already name it (they
    // led out of the file) are cut, so the new node is reached only where it is linked.
    int32_t FindFreeRecord();

    // The last record of the chain that starts at `recordNo`; stops at a link that leaves
    // the file or loops back, so a damaged chain never hangs.
    int32_t FindLastSibling(int32_t recordNo);

    // Marks the chain at `recordNo` and all its descendants free.
    void FreeNodeChain(int32_t recordNo);

private:
    using LinkHolder = std::pair<int32_t, int>;  // a record and the offset of its link

    void Fail(const QString& what);
    qint64 StartOf(int32_t recordNo) const { return static_cast<qint64>(recordNo - 1) * kRecordSize; }

    // Calls `visit` for every record the links reach from the chain at `recordNo`: the
    // chain, the chains of its records' children, and so on down. Each record is
    // visited once; a link that leaves the file or comes back ends its chain. `visit`
    // returns false to stop the walk.
    void WalkChains(int32_t recordNo, const std::function<bool(int32_t, ProjectRecord&)>& visit);

    // Marks in `inTree` the node records the header's tree reaches, and gathers the links
    // of those records that name `pastEnd`.
    void MarkTreeRecords(int32_t pastEnd, std::vector<bool>& inTree, std::vector<LinkHolder>& linksPastEnd);

    // Sets each of the links to 0 (no next sibling, no children).
    bool CutLinks(const std::vector<LinkHolder>& links);

    QFile file_;
    bool failed_ = false;
    bool wrote_ = false;
    QString error_;
};

}  // namespace project
