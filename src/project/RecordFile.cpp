#include "project/RecordFile.h"

#include <vector>

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
    return static_cast<int32_t>(file_.size() / kRecordSize);
}

bool RecordFile::Read(int32_t recordNo, ProjectRecord& rec)
{
    if (!file_.isOpen() || recordNo < 1 || recordNo > RecordCount()) {
        Fail(QStringLiteral("read record %1").arg(recordNo));
        return false;
    }
    ProjectRecord loaded;
    if (!file_.seek(static_cast<qint64>(recordNo - 1) * kRecordSize) ||
        file_.read(reinterpret_cast<char*>(loaded.bytes.data()), kRecordSize) != kRecordSize) {
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
    if (!file_.seek(static_cast<qint64>(recordNo - 1) * kRecordSize) ||
        file_.write(reinterpret_cast<const char*>(rec.bytes.data()), kRecordSize) != kRecordSize ||
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
    ProjectRecord rec;
    for (int32_t n = 2; n <= count; ++n) {
        if (!Read(n, rec)) return 0;
        if (rec.InUse() == 0) return n;
    }
    return count + 1;
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

void RecordFile::FreeNodeChain(int32_t recordNo)
{
    // Chains still to free wait on a work list rather than the call stack, so any depth
    // of nesting is freed; a link that leaves the file or comes back ends its chain.
    std::vector<bool> seen(static_cast<size_t>(RecordCount()) + 1, false);
    std::vector<int32_t> pending{recordNo};
    ProjectRecord rec;
    while (!pending.empty()) {
        int32_t n = pending.back();
        pending.pop_back();
        while (n > 1 && n <= RecordCount() && !seen[static_cast<size_t>(n)]) {
            seen[static_cast<size_t>(n)] = true;
            if (!Read(n, rec)) return;
            if (rec.ChildRec() != 0) pending.push_back(rec.ChildRec());
            rec.SetInteger(at::InUse, 0);
            if (!Write(n, rec)) return;
            n = rec.NextRec();
        }
    }
}

}  // namespace project
