#pragma once
// What the decoder and the encoder share about a row's value: where it lies, what kind
// it is, the list texts and the message for lists that do not match.

#include "common/Dialogs.h"
#include "params/ParamTypes.h"

#include <QString>
#include <QStringList>
#include <cstddef>

namespace params {

enum class ValueKind { None, Byte, Integer, Long, LongBit, Single };

// The kind of a row's value; None for a row without a value or of an unknown kind.
ValueKind KindOf(const ProtoRowRecord& row);

// Whether bytes Offset - 1 .. Offset + ByteSize - 2 lie inside a buffer of that size.
bool ValueInsideBuffer(const ProtoRowRecord& row, size_t bufferSize);

// Index of the row's value's first byte in the block.
inline long long FirstByteOf(const ProtoRowRecord& row) { return static_cast<long long>(row.Offset) - 1; }

// The bit a LongBit row stands for.
inline int32_t BitMaskOf(const ProtoRowRecord& row)
{
    return static_cast<int32_t>(1u << (row.BitNo - 1));
}

QStringList OptionNames(const ProtoRowRecord& row);
QStringList OptionValueTexts(const ProtoRowRecord& row);

// "解析协议表错误，列表和对应值不匹配。" titled "警告！".
void ShowListMismatch(common::Dialogs& dialogs);

// The number written as text the short way: 2.0 and 02 give "2".
QString NumberText(double value);

// A number stored into a single: the nearest single, or the infinity of its sign.
float RoundToSingle(double value);

}  // namespace params
