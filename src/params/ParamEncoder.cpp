#include "params/ParamEncoder.h"

#include "common/Numbers.h"
#include "params/ParamValues.h"

#include <limits>

namespace params {
namespace {

struct ListChoice {
    bool listsMatch = true;
    std::optional<double> value;
};

// The value of the first name that contains the text, ignoring case.
ListChoice ChooseFromList(const ProtoRowRecord& row, const QString& text)
{
    const QStringList names = OptionNames(row);
    std::optional<int> chosen;
    for (int k = 0; k < names.size() && !chosen; ++k)
        if (names[k].contains(text, Qt::CaseInsensitive)) chosen = k;
    const QStringList values = OptionValueTexts(row);
    if (names.size() != values.size()) return {false, std::nullopt};
    if (!chosen) return {};
    return {true, common::ReadNumber(values[*chosen])};
}

template <typename T>
void WriteRounded(common::Bytes& data, long long at, double number, std::optional<T> (*round)(double))
{
    if (const std::optional<T> value = round(number)) common::WriteLE<T>(data, at, *value);
}

void WriteBit(common::Bytes& data, const ProtoRowRecord& row, double listValue)
{
    const std::optional<int16_t> wanted = common::ToInteger(listValue);
    const long long at = FirstByteOf(row);
    const int32_t current = *common::ReadLE<int32_t>(data, at);
    const int32_t mask = BitMaskOf(row);
    const bool isSet = (current & mask) != 0;
    if (wanted == 0 && isSet) common::WriteLE<int32_t>(data, at, current & ~mask);
    if (wanted == 1 && !isSet) common::WriteLE<int32_t>(data, at, current | mask);
}

bool UsesList(const ProtoRowRecord& row, ValueKind kind)
{
    return kind == ValueKind::LongBit || ((kind == ValueKind::Byte || kind == ValueKind::Single) && row.IsList == 1);
}

}  // namespace

int EncodeSetting(const QString& text, common::Bytes& data, const std::vector<ProtoRowRecord>& table, int row,
                  common::Dialogs& dialogs)
{
    if (row < 0 || static_cast<size_t>(row) >= table.size()) return 0;
    const ProtoRowRecord& record = table[static_cast<size_t>(row)];
    const ValueKind kind = KindOf(record);
    if (kind == ValueKind::None || !ValueInsideBuffer(record, data.size())) return 0;

    double number = common::ReadNumber(text);
    if (UsesList(record, kind)) {
        const ListChoice choice = ChooseFromList(record, text);
        if (!choice.listsMatch) {
            ShowListMismatch(dialogs);
            return 1;
        }
        if (!choice.value) return 0;
        number = *choice.value;
    }

    const long long at = FirstByteOf(record);
    switch (kind) {
    case ValueKind::Byte: WriteRounded<uint8_t>(data, at, number, common::ToByte); break;
    case ValueKind::Integer: WriteRounded<int16_t>(data, at, number, common::ToInteger); break;
    case ValueKind::Long: WriteRounded<int32_t>(data, at, number, common::ToLong); break;
    case ValueKind::LongBit: WriteBit(data, record, number); break;
    case ValueKind::Single: common::WriteLE<float>(data, at, RoundToSingle(number)); break;
    case ValueKind::None: break;
    }
    return 0;
}

std::optional<FieldRange> TypedFieldRange(const ProtoRowRecord& row)
{
    switch (KindOf(row)) {
    case ValueKind::Byte: return FieldRange{0, 255};
    case ValueKind::Integer: return FieldRange{-32768, 32767};
    case ValueKind::Long:
        return FieldRange{static_cast<double>(std::numeric_limits<int32_t>::min()),
                          static_cast<double>(std::numeric_limits<int32_t>::max())};
    default: return std::nullopt;
    }
}

bool TypedNumberFits(const ProtoRowRecord& row, double number)
{
    switch (KindOf(row)) {
    case ValueKind::Byte: return common::ToByte(number).has_value();
    case ValueKind::Integer: return common::ToInteger(number).has_value();
    case ValueKind::Long: return common::ToLong(number).has_value();
    default: return true;
    }
}

}  // namespace params
