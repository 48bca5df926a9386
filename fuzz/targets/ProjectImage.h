#pragma once
// Builds the bytes of a project file straight from its record layout, independently of
// the project code that reads it: 2790-byte records, record 1 the header, nodes from
// record 2 on, each with its parent, sibling and child links, its own key and its
// parent's key.

#include "common/Codepage.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>
#include <vector>

namespace fuzz {

class ProjectImage {
public:
    static constexpr int kRecordSize = 2790;
    // Byte offsets within a record.
    static constexpr int kInUse = 0, kFirstNode = 2, kParentRec = 2, kPrevRec = 6, kNextRec = 10,
                         kChildRec = 14, kSelfRec = 18, kParentKey = 22, kAuthorTag = 22, kNodeKey = 42,
                         kFormatTag = 42, kTitle = 62, kLockFlag = 106, kExpanded = 106;

    // A project of `recordCount` records (at least the header), all bytes 0, with a
    // valid header whose tree is empty.
    explicit ProjectImage(int recordCount) : bytes_(recordCount * kRecordSize, '\0')
    {
        SetInteger(1, kInUse, 1);
        SetLong(1, kFirstNode, -1);
        SetLong(1, kSelfRec, 1);
        SetFixed(1, kAuthorTag, QStringLiteral("作者：Taloma"));
        SetFixed(1, kFormatTag, QStringLiteral("DADAD-V1.0"));
    }

    // A project whose nodes are given by their parents: node i goes to record i + 2 and
    // its parent is node parentOf[i] (an earlier node), or the top level for -1. Each
    // chain of siblings keeps the order of the nodes.
    static ProjectImage FromParents(const std::vector<int>& parentOf)
    {
        const int count = static_cast<int>(parentOf.size());
        ProjectImage image(count + 1);
        std::vector<int> lastChild(static_cast<size_t>(count), -1);
        int lastTop = -1;
        for (int i = 0; i < count; ++i) {
            const int parent = parentOf[static_cast<size_t>(i)];
            int& previous = parent < 0 ? lastTop : lastChild[static_cast<size_t>(parent)];
            const int32_t rec = i + 2;
            image.SetNode(rec, parent < 0 ? -1 : parent + 2, previous < 0 ? -1 : previous + 2,
                          QStringLiteral("节点 %1").arg(i));
            if (previous >= 0)
                image.SetLong(previous + 2, kNextRec, rec);
            else if (parent >= 0)
                image.SetLong(parent + 2, kChildRec, rec);
            else
                image.SetLong(1, kFirstNode, rec);
            previous = i;
        }
        return image;
    }

    // A node record in use, with no next sibling and no children yet.
    void SetNode(int32_t rec, int32_t parentRec, int32_t prevRec, const QString& title)
    {
        SetInteger(rec, kInUse, 1);
        SetLong(rec, kParentRec, parentRec);
        SetLong(rec, kPrevRec, prevRec);
        SetLong(rec, kNextRec, 0);
        SetLong(rec, kChildRec, 0);
        SetLong(rec, kSelfRec, rec);
        SetFixed(rec, kParentKey, parentRec < 1 ? QString() : NodeKey(parentRec));
        SetFixed(rec, kNodeKey, NodeKey(rec));
        SetText(rec, kTitle, 40, title);
        SetInteger(rec, kExpanded, 1);
    }

    static QString NodeKey(int32_t rec) { return QStringLiteral(" %1key").arg(rec); }

    void SetInteger(int32_t rec, int offset, int16_t value) { Put(rec, offset, &value, sizeof value); }
    void SetLong(int32_t rec, int offset, int32_t value) { Put(rec, offset, &value, sizeof value); }
    void SetFixed(int32_t rec, int offset, const QString& text)
    {
        const QByteArray field = common::FixedText(text, 20);
        Put(rec, offset, field.constData(), static_cast<size_t>(field.size()));
    }
    void SetText(int32_t rec, int offset, int count, const QString& text)
    {
        const QByteArray raw = common::ToCodePage(text).left(count) + QByteArray(1, '\0');
        Put(rec, offset, raw.constData(), static_cast<size_t>(raw.size()));
    }

    QByteArray& Bytes() { return bytes_; }
    const QByteArray& Bytes() const { return bytes_; }

private:
    void Put(int32_t rec, int offset, const void* value, size_t size)
    {
        std::memcpy(bytes_.data() + (rec - 1) * kRecordSize + offset, value, size);  // little-endian host
    }

    QByteArray bytes_;
};

}  // namespace fuzz
