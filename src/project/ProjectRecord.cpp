#include "project/ProjectRecord.h"

#include "common/Codepage.h"
#include "common/DateText.h"

#include <QDateTime>
#include <algorithm>

namespace project {
namespace {

// The keyed form mixes each byte with x = ((k(j) AND i) XOR (S mod 255)) XOR m, where
// k is the key in code page 936, m its byte count - 1 and S the sum of its bytes.
class KeyMixer {
public:
    explicit KeyMixer(const QString& key) : key_(common::ToCodePage(key))
    {
        int16_t sum = 0;
        for (char c : key_) sum = static_cast<int16_t>(sum + static_cast<uint8_t>(c));
        sumMod_ = sum % 255;
        last_ = static_cast<int>(key_.size()) - 1;
    }

    bool Active() const { return !key_.isEmpty(); }

    uint8_t Mask(int position) const
    {
        const auto k = static_cast<uint8_t>(key_[position % (last_ + 1)]);
        return static_cast<uint8_t>(((k & position) ^ sumMod_) ^ last_);
    }

    // Encoding and decoding are the same step: a byte equal to the mask stays as it is.
    uint8_t Mix(uint8_t value, int position) const
    {
        const uint8_t x = Mask(position);
        return value == x ? value : static_cast<uint8_t>(value ^ x);
    }

private:
    QByteArray key_;
    int sumMod_ = 0;
    int last_ = 0;
};

}  // namespace

int16_t ProjectRecord::Integer(int offset) const
{
    return common::ReadLE<int16_t>(bytes.data(), bytes.size(), offset).value_or(0);
}

void ProjectRecord::SetInteger(int offset, int16_t value)
{
    common::WriteLE<int16_t>(bytes.data(), bytes.size(), offset, value);
}

int32_t ProjectRecord::Long(int offset) const
{
    return common::ReadLE<int32_t>(bytes.data(), bytes.size(), offset).value_or(0);
}

void ProjectRecord::SetLong(int offset, int32_t value)
{
    common::WriteLE<int32_t>(bytes.data(), bytes.size(), offset, value);
}

QString ProjectRecord::Fixed(FixedField field) const
{
    const auto* start = reinterpret_cast<const char*>(bytes.data() + field.offset);
    return common::FromCodePage(QByteArray(start, kFixedTextSize));
}

void ProjectRecord::SetFixed(FixedField field, const QString& text)
{
    const QByteArray fixed = common::FixedText(text, kFixedTextSize);
    std::copy_n(fixed.constData(), kFixedTextSize, bytes.begin() + field.offset);
}

QString ProjectRecord::Text(TextField field) const
{
    return DecodeText(bytes.data() + field.offset, QString(), field.count);
}

void ProjectRecord::SetText(TextField field, const QString& text)
{
    EncodeText(text, QString(), bytes.data() + field.offset, field.count);
}

void ProjectRecord::StoreSettings(const common::Bytes& setData, int dataLen)
{
    const int n = std::clamp(std::min<int>(dataLen, static_cast<int>(setData.size())), 0, kSettingsSize);
    std::copy_n(setData.begin(), n, bytes.begin() + at::Settings);
}

void ProjectRecord::LoadSettings(common::Bytes& setData, int dataLen) const
{
    const int n = std::clamp(std::min<int>(dataLen, static_cast<int>(setData.size())), 0, kSettingsSize);
    std::copy_n(bytes.begin() + at::Settings, n, setData.begin());
}

void ProjectRecord::ClearSettings(int lastIndex)
{
    std::fill_n(bytes.begin() + at::Settings, std::min(lastIndex + 1, kSettingsSize), uint8_t{0});
}

void EncodeText(const QString& text, const QString& key, uint8_t* field, int count)
{
    const QByteArray raw = common::ToCodePage(text);
    const int kept = std::min<int>(static_cast<int>(raw.size()), count);
    const KeyMixer mixer(key);
    for (int i = 0; i < kept; ++i) {
        const auto b = static_cast<uint8_t>(raw[i]);
        field[i] = mixer.Active() ? mixer.Mix(b, i) : b;
    }
    field[kept] = 0;
}

QString DecodeText(const uint8_t* field, const QString& key, int count)
{
    const KeyMixer mixer(key);
    QByteArray raw;
    for (int i = 0; i < count && field[i] != 0; ++i)
        raw.append(static_cast<char>(mixer.Active() ? mixer.Mix(field[i], i) : field[i]));
    return common::FromCodePage(raw);
}

QString NodeKey(int32_t recordNo)
{
    return (QLatin1Char(' ') + QString::number(recordNo) + QStringLiteral("key"))
        .leftJustified(kFixedTextSize, QLatin1Char(' '), true);
}

int32_t KeyToRecordNo(const QString& key)
{
    QString compact = key;
    compact.remove(QLatin1Char(' '));
    const qsizetype found = compact.indexOf(QStringLiteral("key"), 0, Qt::CaseInsensitive);
    if (found < 0) return 0;
    const QString before = compact.left(found);
    qsizetype end = 0;
    if (end < before.size() && (before[end] == QLatin1Char('-') || before[end] == QLatin1Char('+'))) ++end;
    while (end < before.size() && before[end].isDigit()) ++end;
    bool ok = false;
    const long long value = before.left(end).toLongLong(&ok);
    if (!ok || value > INT32_MAX || value < INT32_MIN) return 0;
    return static_cast<int32_t>(value);
}

QString StripBlanksAndNuls(const QString& text)
{
    QString stripped = text;
    stripped.remove(QLatin1Char(' '));
    stripped.remove(QChar(0));
    return stripped;
}

QString DateTimeText(const QDateTime& at)
{
    return common::GeneralDate(at);
}

ProjectRecord NewHeader(const QString& timeText)
{
    ProjectRecord header;
    header.SetInteger(at::InUse, 1);
    header.SetLong(at::FirstNode, -1);
    header.SetLong(at::PrevRec, 0);
    header.SetLong(at::NextRec, 0);
    header.SetLong(at::ChildRec, 0);
    header.SetLong(at::SelfRec, 1);
    header.SetFixed(AuthorTag, kAuthorTagText);
    header.SetFixed(FormatTag, kFormatTagText);
    header.SetText(Title, QString());
    header.SetInteger(at::Reserved1, 0);
    header.SetInteger(at::LockFlag, 0);
    header.SetLong(at::NodeImage, 0);
    header.bytes[at::Settings] = 0;
    header.SetText(CreatedTime, timeText);
    header.SetText(OpenedTime, timeText);
    for (TextField field : {ConfigFile, DisplayFile, OrderNo, RemarkInfo, UserField})
        header.SetText(field, QString());
    header.SetInteger(at::Reserved3, 0);
    return header;
}

void BuildNewNode(ProjectRecord& rec, int32_t recordNo, NewSettings settings)
{
    rec.SetInteger(at::InUse, 1);
    rec.SetLong(at::ChildRec, 0);
    rec.SetLong(at::SelfRec, recordNo);
    rec.SetFixed(NodeKeyField, NodeKey(recordNo));
    rec.SetText(Title, kNewNodeTitle);
    rec.SetInteger(at::Reserved1, 0);
    rec.SetInteger(at::Expanded, 1);
    rec.SetLong(at::NodeImage, 0);
    rec.ClearSettings(settings == NewSettings::ClearBlock ? 1024 : 0);
    for (TextField field : kNoteFields) rec.SetText(field, QString());
    rec.SetText(Reserved2, QString());
    rec.SetInteger(at::Reserved3, 0);
}

void ClearDeletedNode(ProjectRecord& rec)
{
    rec.SetInteger(at::InUse, 0);
    rec.SetLong(at::ParentRec, -1);
    rec.SetLong(at::PrevRec, -1);
    rec.SetLong(at::NextRec, 0);
    rec.SetLong(at::ChildRec, 0);
    rec.SetLong(at::SelfRec, 0);
    rec.SetFixed(ParentKey, QString());
    rec.SetFixed(NodeKeyField, QString());
    rec.SetText(Title, QString());
    rec.ClearSettings(1024);
    for (TextField field : kNoteFields) rec.SetText(field, QString());
    rec.SetText(Reserved2, QString());
}

}  // namespace project
