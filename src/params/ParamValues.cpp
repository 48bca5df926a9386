#include "params/ParamValues.h"

#include "params/ProtoRows.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace params {

ValueKind KindOf(const ProtoRowRecord& row)
{
    if (row.Offset < 1) return ValueKind::None;
    switch (row.ByteSize) {
    case 1: return ValueKind::Byte;
    case 2: return ValueKind::Integer;
    case 4:
        if (row.IsFloat == 1) return ValueKind::Single;
        if (row.IsFloat != 0) return ValueKind::None;
        if (row.BitNo == 0) return ValueKind::Long;
        return row.BitNo <= 31 ? ValueKind::LongBit : ValueKind::None;
    default: return ValueKind::None;
    }
}

bool ValueInsideBuffer(const ProtoRowRecord& row, size_t bufferSize)
{
    return common::FieldFits(bufferSize, FirstByteOf(row), row.ByteSize);
}

QStringList OptionNames(const ProtoRowRecord& row) { return SplitLiteral(row.Options, kListSeparator); }

QStringList OptionValueTexts(const ProtoRowRecord& row) { return SplitLiteral(row.OptionValues, kListSeparator); }

void ShowListMismatch(common::Dialogs& dialogs)
{
    dialogs.Message(QStringLiteral("解析协议表错误，列表和对应值不匹配。"), QStringLiteral("警告！"),
                    common::MsgIcon::Exclamation, common::MsgButtons::Ok);
}

QString NumberText(double value)
{
    if (value == 0) return QStringLiteral("0");  // also for -0
    return QString::number(value, 'g', 15).toUpper();
}

float RoundToSingle(double value)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (!std::isfinite(value) || std::fabs(value) <= kLargest) return static_cast<float>(value);
    // Beyond the largest single: halfway to the next power of two still rounds down to it.
    const double halfwayToInfinity = kLargest + std::ldexp(1.0, FLT_MAX_EXP - FLT_MANT_DIG - 1);
    if (std::fabs(value) < halfwayToInfinity) return static_cast<float>(std::copysign(kLargest, value));
    return std::copysign(std::numeric_limits<float>::infinity(), static_cast<float>(value));
}

}  // namespace params
