#pragma once
// Fuzz entry: a table and a data block drawn from the bytes, decoded into a grid and
// then every row encoded with texts taken from its lists and from the input. The block
// must keep its size throughout.

#include "FuzzBytes.h"
#include "SilentDialogs.h"
#include "TableChecks.h"
#include "params/ProtoRows.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

constexpr int kMostFuzzRows = 24;
constexpr size_t kMostFuzzBlock = 481;  // DataLen 480 and the spare byte

// Mostly offsets near the block, so values land inside it, across its end and before
// its start; now and then any 16-bit offset.
inline int16_t DrawOffset(FuzzBytes& input, size_t blockSize)
{
    if (input.Below(8) == 0) return static_cast<int16_t>(input.Word());
    return static_cast<int16_t>(static_cast<int>(input.Below(static_cast<uint32_t>(blockSize) + 8)) - 2);
}

inline int32_t DrawDivisor(FuzzBytes& input)
{
    static const int32_t kUsual[] = {1, 1, 1, 0, -1, 2, 10, 100, 1000, -7};
    if (input.Below(4) == 0) return static_cast<int32_t>(input.DoubleWord());
    return input.OneOf(kUsual);
}

// A list text: a few names or numbers joined by "||", sometimes longer than the field.
inline QString DrawListText(FuzzBytes& input, bool numbers)
{
    static const char* const kNames[] = {"Off", "On", "Auto", "", " ", "Low", "Very Low", "关", "开", "10", "1"};
    static const char* const kNumbers[] = {"0", "1", "2", "10", "02", "2.0", "-1", "&H10", "255", "", " 3 ", "x"};
    QStringList pieces;
    const uint32_t count = input.Below(6);
    for (uint32_t i = 0; i < count; ++i) {
        if (input.Below(5) == 0)
            pieces << input.Text(10);
        else
            pieces << QString::fromUtf8(numbers ? input.OneOf(kNumbers) : input.OneOf(kNames));
    }
    return params::FitOptionText(pieces.join(params::kListSeparator));
}

inline params::ProtoRowRecord DrawRow(FuzzBytes& input, size_t blockSize)
{
    static const uint8_t kByteSizes[] = {1, 2, 4, 4, 0, 3, 8, 255};
    static const uint8_t kFloatFlags[] = {0, 1, 0, 1, 2, 255};
    params::ProtoRowRecord row;
    params::ResetToRowDefaults(row);
    row.Offset = DrawOffset(input, blockSize);
    row.ByteSize = input.OneOf(kByteSizes);
    row.Decimals = static_cast<uint8_t>(input.Below(8));
    row.BitNo = input.Below(4) == 0 ? input.Byte() : static_cast<uint8_t>(input.Below(34));
    row.IsList = static_cast<uint8_t>(input.Below(3));
    row.IsFloat = input.OneOf(kFloatFlags);
    row.Divisor = DrawDivisor(input);
    row.Options = DrawListText(input, false);
    row.OptionValues = DrawListText(input, true);
    return row;
}

// False when an invariant broke; a crash, hang or sanitizer report is the other failure.
inline bool RunDecodeEncode(const uint8_t* data, size_t size)
{
    FuzzBytes input(data, size);
    const size_t blockSize = input.Below(static_cast<uint32_t>(kMostFuzzBlock) + 1);
    const int rows = 1 + static_cast<int>(input.Below(kMostFuzzRows));

    std::vector<params::ProtoRowRecord> table;
    for (int i = 0; i < rows; ++i) table.push_back(DrawRow(input, blockSize));
    params::ProtoInfoRecord info;
    // RowCount may also claim more rows than the table holds.
    info.RowCount = static_cast<int16_t>(rows + static_cast<int>(input.Below(3)) - 1);
    info.DataLen = static_cast<int16_t>(blockSize);

    common::Bytes block(blockSize, 0);
    for (uint8_t& byte : block) byte = input.Byte();

    SilentDialogs dialogs;
    params::FlexGrid grid;
    grid.SetCols(4);
    grid.SetRows(rows);
    bool sound = DecodeKeepsShape(grid, block, table, info, dialogs);
    sound = EncodeEveryRow(block, table, input, dialogs) && sound;
    sound = DecodeKeepsShape(grid, block, table, info, dialogs) && sound;
    return sound && block.size() == blockSize;
}

}  // namespace fuzz
