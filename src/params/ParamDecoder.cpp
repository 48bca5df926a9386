#include "params/ParamDecoder.h"

#include "common/Numbers.h"
#include "params/GridColors.h"
#include "params/ParamValues.h"
#include "params/ProtoRows.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace params {
namespace {

constexpr int kMostDecimals = 5;
constexpr int kSingleSignificantDigits = 7;

// raw / Divisor rounded into the value's own width; the raw value when Divisor is 0 or
// the quotient does not fit.
template <typename T>
T ScaledWhole(T raw, int32_t divisor, std::optional<T> (*round)(double))
{
    if (divisor == 0) return raw;
    return round(static_cast<double>(raw) / divisor).value_or(raw);
}

float ScaledSingle(double raw, int32_t divisor)
{
    return divisor == 0 ? static_cast<float>(raw) : static_cast<float>(raw / divisor);
}

struct Lookup {
    bool listsMatch = true;
    std::optional<QString> name;
};

// The name whose value contains the key text; the lists must hold as many names as values.
Lookup LookUpName(const ProtoRowRecord& row, const QString& key)
{
    const QStringList values = OptionValueTexts(row);
    std::optional<int> match;
    for (int j = 0; j < values.size() && !match; ++j)
        if (NumberText(common::ReadNumber(WithoutTrailingBlanks(values[j]))).contains(key)) match = j;
    const QStringList names = OptionNames(row);
    if (names.size() != values.size()) return {false, std::nullopt};
    if (!match) return {};
    return {true, names[*match].trimmed()};
}

QString SingleKey(float scaled)
{
    const double whole = std::floor(static_cast<double>(scaled));
    return std::isfinite(whole) ? QString::number(whole, 'f', 0) : QString::number(whole);
}

class RowDecoder {
public:
    RowDecoder(FlexGrid& grid, const common::Bytes& data, common::Dialogs& dialogs)
        : grid_(grid), data_(data), dialogs_(dialogs)
    {
    }

    // False when a list mismatch stops the whole fill.
    bool Decode(int gridRow, const ProtoRowRecord& row)
    {
        gridRow_ = gridRow;
        if (!ValueInsideBuffer(row, data_.size())) return true;
        const long long at = FirstByteOf(row);
        switch (KindOf(row)) {
        case ValueKind::Byte: return DecodeByte(row, *common::ReadLE<uint8_t>(data_, at));
        case ValueKind::Integer:
            Show(QString::number(ScaledWhole<int16_t>(*common::ReadLE<int16_t>(data_, at), row.Divisor,
                                                      common::ToInteger)));
            return true;
        case ValueKind::LongBit: DecodeBit(row, *common::ReadLE<int32_t>(data_, at)); return true;
        case ValueKind::Long:
            ShowDecimals(ScaledSingle(*common::ReadLE<int32_t>(data_, at), row.Divisor), row.Decimals);
            return true;
        case ValueKind::Single: return DecodeSingle(row, *common::ReadLE<float>(data_, at));
        case ValueKind::None: return true;
        }
        return true;
    }

private:
    bool DecodeByte(const ProtoRowRecord& row, uint8_t raw)
    {
        const uint8_t scaled = ScaledWhole<uint8_t>(raw, row.Divisor, common::ToByte);
        if (row.IsList == 1) return ShowListName(row, QString::number(scaled));
        Show(QString::number(scaled));
        return true;
    }

    void DecodeBit(const ProtoRowRecord& row, int32_t raw)
    {
        const int32_t scaled = ScaledWhole<int32_t>(raw, row.Divisor, common::ToLong);
        const QStringList names = OptionNames(row);
        if (names.size() != 2) return;
        Show(WithoutTrailingBlanks(names[(scaled & BitMaskOf(row)) != 0 ? 1 : 0]));
    }

    bool DecodeSingle(const ProtoRowRecord& row, float raw)
    {
        const float scaled = ScaledSingle(raw, row.Divisor);
        if (row.IsList == 1) return ShowListName(row, SingleKey(scaled));
        ShowDecimals(scaled, row.Decimals);
        return true;
    }

    bool ShowListName(const ProtoRowRecord& row, const QString& key)
    {
        const Lookup found = LookUpName(row, key);
        if (!found.listsMatch) {
            ShowListMismatch(dialogs_);
            return false;
        }
        if (found.name) Show(*found.name);
        return true;
    }

    void ShowDecimals(float value, int decimals)
    {
        const QString text = DecimalsText(value, decimals);
        if (!text.isEmpty()) Show(text);
    }

    void Show(const QString& text) { grid_.SetTextMatrix(gridRow_, kValueColumn, text); }

    FlexGrid& grid_;
    const common::Bytes& data_;
    common::Dialogs& dialogs_;
    int gridRow_ = 0;
};

}  // namespace

QString DecimalsText(float value, int decimals)
{
    if (decimals < 0 || decimals > kMostDecimals) return {};
    const double magnitude = std::fabs(static_cast<double>(value));
    const int integerDigits = magnitude >= 1 && std::isfinite(magnitude) ? static_cast<int>(std::log10(magnitude)) + 1 : 1;
    return common::FormatFixed(value, decimals, std::max(kSingleSignificantDigits, integerDigits));
}

int FillParamGrid(FlexGrid& grid, const common::Bytes& data, const std::vector<ProtoRowRecord>& table,
                  const ProtoInfoRecord& info, common::Dialogs& dialogs)
{
    RowDecoder decoder(grid, data, dialogs);
    const int rows = std::min<int>(info.RowCount, static_cast<int>(table.size()));
    for (int i = 0; i < rows; ++i)
        if (!decoder.Decode(i, table[static_cast<size_t>(i)])) return 1;
    grid.SetCellForeColor(RGB(0, 0, 0));
    return 0;
}

}  // namespace params
