#include "project/RecordFile.h"

#include "common/Numbers.h"

#include <algorithm>

namespace project {

RecordFile::RecordFile(const QString& path, Mode mode) : file_(path)
{
    const QIODevice::OpenMode flags = mode == Mode::Read
                                          ? QIODevice::ReadOnly
                                          : (QIODevice::ReadWrite | QIODevice::Unbuffered);
    if (path.isEmpty() || !file_.open(flags)) Fail(QStringLiteral("open"));
}

void RecordFile::Fail(const QString& what)
{
    if (failed_) return;
    failed_ = true;
    error_ = what + QStringLiteral(": ") + file_.fileName() + QStringLiteral(" (") +
             file_.errorString() + QLatin1Char(')');
}

int32_t RecordFile::RecordCount() const
{
    if (!file_.isOpen()) return 0;
    return common::ToLong(static_cast<double>(file_.size()) / kRecordSize).value_or(0);
}

bool RecordFile::Read(int32_t recordNo, ProjectRecord& rec)
{
    if (!file_.isOpen() || recordNo < 1 || recordNo > RecordCount()) {
        Fail(QStringLiteral("read record %1").arg(recordNo));
        return false;
    }
    const qint64 present = std::min<qint64>(kRecordSize, file_.size() - StartOf(recordNo));
    ProjectRecord loaded;  // all zeros behind what a short last record holds
    if (!file_.seek(StartOf(recordNo)) ||
        file_.read(reinterpret_cast<char*>(loaded.bytes.data()), present) != present) {
        Fail(QStringLiteral("read record %1").arg(recordNo));
        return false;
    }
    rec = loaded;
    return true;
}

bool RecordFile::Write(int32_t recordNo, const ProjectRecord& rec)
{
    if (!file_.isOpen() || recordNo < 1 || recordNo > RecordCount() + 1) {
        Fail(QStringLiteral("write record %1").arg(recordNo));
        return false;
    }
    // A short last record before this one is first filled up with zeros, so every
    // record stays at its place and the file holds whole records.
    const qint64 start = StartOf(recordNo);
    const bool placed = (file_.size() >= start || file_.resize(start)) && file_.seek(start);
    if (!placed || file_.write(reinterpret_cast<const char*>(rec.bytes.data()), kRecordSize) != kRecordSize ||
        !file_.flush()) {
        Fail(QStringLiteral("write record %1").arg(recordNo));
        return false;
    }
    wrote_ = true;
    return true;
}

int32_t RecordFile::FindFreeRecord()
{
    const int32_t count = RecordCount();
    if (count == 0) return 1;
    const int32_t pastEnd = count + 1;
    std::vector<bool> inTree;
    std::vector<LinkHolder> linksPastEnd;
    MarkTreeRecords(pastEnd, inTree, linksPastEnd);
    if (Failed()) return 0;
    ProjectRecord rec;
    for (int32_t n = 2; n <= count; ++n) {
        if (inTree[static_cast<size_t>(n)]) continue;
        if (!Read(n, rec)) return 0;
        if (rec.InUse() == 0) return n;
    }
    return CutLinks(linksPastEnd) ? pastEnd : 0;
}

bool RecordFile::CutLinks(const std::vector<LinkHolder>& links)
{
    ProjectRecord rec;
    for (const auto& [holder, link] : links) {
        if (!Read(holder, rec)) return false;
        rec.SetLong(link, 0);
        if (!Write(holder, rec)) return false;
    }
    return true;
}

void RecordFile::MarkTreeRecords(int32_t pastEnd, std::vector<bool>& inTree, std::vector<LinkHolder>& linksPastEnd)
{
    inTree.assign(static_cast<size_t>(RecordCount()) + 1, false);
    ProjectRecord header;
    if (!Read(1, header)) return;
    WalkChains(header.FirstNode(), [&](int32_t n, ProjectRecord& rec) {
        inTree[static_cast<size_t>(n)] = true;
        for (const int link : {at::NextRec, at::ChildRec})
            if (rec.Long(link) == pastEnd) linksPastEnd.emplace_back(n, link);
        return true;
    });
}

int32_t RecordFile::FindLastSibling(int32_t recordNo)
{
    std::vector<bool> seen(static_cast<size_t>(RecordCount()) + 1, false);
    ProjectRecord rec;
    if (!Read(recordNo, rec)) return 0;
    int32_t last = recordNo;
    seen[static_cast<size_t>(recordNo)] = true;
    for (int32_t next = rec.NextRec(); next > 1 && next <= RecordCount() && !seen[next];
         next = rec.NextRec()) {
        if (!Read(next, rec)) break;
        seen[static_cast<size_t>(next)] = true;
        last = next;
    }
    return last;
}

void RecordFile::WalkChains(int32_t recordNo, const std::function<bool(int32_t, ProjectRecord&)>& visit)
{
    // Chains still to walk wait on a work list rather than the call stack, so any depth
    // of nesting is walked.
    const int32_t count = RecordCount();
    std::vector<bool> seen(static_cast<size_t>(count) + 1, false);
    std::vector<int32_t> pending{recordNo};
    ProjectRecord rec;
    while (!pending.empty()) {
        int32_t n = pending.back();
        pending.pop_back();
        while (n > 1 && n <= count && !seen[static_cast<size_t>(n)]) {
            seen[static_cast<size_t>(n)] = true;
            if (!Read(n, rec)) return;
            if (rec.ChildRec() != 0) pending.push_back(rec.ChildRec());
            const int32_t next = rec.NextRec();
            if (!visit(n, rec)) return;
            n = next;
        }
    }
}

void RecordFile::FreeNodeChain(int32_t recordNo)
{
    WalkChains(recordNo, [this](int32_t n, ProjectRecord& rec) {
        rec.SetInteger(at::InUse, 0);
        return Write(n, rec);
    });
}

}  // namespace project
