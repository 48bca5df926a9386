#pragma once
// The project file's fixed 2790-byte record. Record 1 is the header, every other record
// one tree node; both views share one byte layout, read and written through accessors.

#include "common/LittleEndian.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

namespace project {

constexpr int kRecordSize = 2790;

// Byte offsets of the numeric fields. Where the header and the node view name the same
// place differently, both names are given.
namespace at {
constexpr int InUse = 0;
constexpr int FirstNode = 2;   // header
constexpr int ParentRec = 2;   // node
constexpr int PrevRec = 6;
constexpr int NextRec = 10;
constexpr int ChildRec = 14;
constexpr int SelfRec = 18;
constexpr int Reserved1 = 104;
constexpr int LockFlag = 106;  // header
constexpr int Expanded = 106;  // node
constexpr int NodeImage = 108;
constexpr int Settings = 112;
constexpr int Reserved3 = 2788;
}  // namespace at

constexpr int kSettingsSize = 1026;
constexpr int kFixedTextSize = 20;

// A fixed text field: code page 936 text padded with blanks to its width.
struct FixedField {
    int offset;
};
constexpr FixedField AuthorTag{22};  // header
constexpr FixedField ParentKey{22};  // node
constexpr FixedField FormatTag{42};  // header
constexpr FixedField NodeKeyField{42};  // node

// A text bytes field of count + 2 bytes: the text, at most `count` bytes, and a 0.
struct TextField {
    int offset;
    int count;
};
constexpr TextField Title{62, 40};
constexpr TextField CreatedTime{1138, 1024};  // header
constexpr TextField Description{1138, 1024};  // node
constexpr TextField OpenedTime{2164, 200};    // header
constexpr TextField ProgramFile{2164, 200};   // node
constexpr TextField ConfigFile{2366, 100};
constexpr TextField DisplayFile{2468, 100};
constexpr TextField OrderNo{2570, 100};
constexpr TextField RemarkInfo{2672, 100};
constexpr TextField UserField{2774, 12};  // header
constexpr TextField Reserved2{2774, 12};  // node

// The node panel's six stored boxes (1..6), in box order.
constexpr std::array<TextField, 6> kNoteFields{Description, ProgramFile, ConfigFile,
                                               DisplayFile, OrderNo, RemarkInfo};

inline const QString kAuthorTagText = QStringLiteral("作者：Taloma");
inline const QString kFormatTagText = QStringLiteral("DADAD-V1.0");
inline const QString kNewNodeTitle = QStringLiteral("单击修改标题");

struct ProjectRecord {
    std::array<uint8_t, kRecordSize> bytes{};

    int16_t Integer(int offset) const;
    void SetInteger(int offset, int16_t value);
    int32_t Long(int offset) const;
    void SetLong(int offset, int32_t value);

    QString Fixed(FixedField field) const;
    void SetFixed(FixedField field, const QString& text);

    // Plain (empty-key) text of a text bytes field.
    QString Text(TextField field) const;
    void SetText(TextField field, const QString& text);

    // The raw setting block: its first `dataLen` bytes go to or come from `setData`.
    void StoreSettings(const common::Bytes& setData, int dataLen);
    void LoadSettings(common::Bytes& setData, int dataLen) const;
    void ClearSettings(int lastIndex);  // bytes 0..lastIndex of Settings become 0

    int16_t InUse() const { return Integer(at::InUse); }
    int32_t FirstNode() const { return Long(at::FirstNode); }
    int32_t ParentRec() const { return Long(at::ParentRec); }
    int32_t PrevRec() const { return Long(at::PrevRec); }
    int32_t NextRec() const { return Long(at::NextRec); }
    int32_t ChildRec() const { return Long(at::ChildRec); }
    int32_t SelfRec() const { return Long(at::SelfRec); }
    int16_t LockFlag() const { return Integer(at::LockFlag); }
    int16_t Expanded() const { return Integer(at::Expanded); }
    int32_t NodeImage() const { return Long(at::NodeImage); }
    QString NodeKey() const { return Fixed(NodeKeyField); }
    QString ParentKeyText() const { return Fixed(ParentKey); }
};

static_assert(sizeof(ProjectRecord) == kRecordSize);

// Writes `text` into a text bytes field of `count` (+2) bytes at `field`. A non-empty key
// mixes every byte with the keyed form; bytes behind the terminating 0 are left alone.
void EncodeText(const QString& text, const QString& key, uint8_t* field, int count);

// Reads a text bytes field: up to the first 0 or `count` bytes, unmixed with `key`.
QString DecodeText(const uint8_t* field, const QString& key, int count);

// The node key of record `recordNo`: " 12key" padded with blanks to 20 characters.
QString NodeKey(int32_t recordNo);

// The record number a node key names; 0 when the key holds no "key".
int32_t KeyToRecordNo(const QString& key);

// The text without any blank and without any 0 character.
QString StripBlanksAndNuls(const QString& text);

// Record 1 of a new project, stamped with `timeText` as creation and opening time.
ProjectRecord NewHeader(const QString& timeText);

// Which bytes of the setting block a new node clears.
enum class NewSettings { ClearBlock, ClearFirstByteOnly };

// Builds the new-node values into `rec` (links are left to the caller): it is the
// working record, and every field not named here keeps what it held.
void BuildNewNode(ProjectRecord& rec, int32_t recordNo, NewSettings settings);

// Clears a deleted node's record.
void ClearDeletedNode(ProjectRecord& rec);

// The date and time text stored in the header: short date, blank, long time.
QString DateTimeText(const QDateTime& at);

}  // namespace project
