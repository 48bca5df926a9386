#pragma once
// What the two parameter targets share: encoding a set of texts into every row of a
// table, and the shape a parsed or generated table must keep.

#include "FuzzBytes.h"
#include "params/FlexGrid.h"
#include "params/ParamDecoder.h"
#include "params/ParamEncoder.h"
#include "params/ParamTypes.h"
#include "params/ParamValues.h"

#include <QStringList>
#include <vector>

namespace fuzz {

// The texts tried on one row: each of its list names as the value list offers them, the
// empty text, a few plain numbers and one text taken from the input.
inline QStringList TextsForRow(const params::ProtoRowRecord& row, FuzzBytes& input)
{
    QStringList texts;
    for (const QString& name : params::OptionNames(row)) texts.append(name.trimmed());
    texts << QString() << QStringLiteral("0") << QStringLiteral("1") << QStringLiteral("-1.5")
          << QStringLiteral("&HFF") << QStringLiteral("1e40") << input.Text(12);
    return texts;
}

// An encode may change only the bytes of the row's own value, of a bit row only that
// bit, and nothing at all when the value does not lie wholly inside the block.
inline bool ChangedOnlyOwnValue(const common::Bytes& before, const common::Bytes& after,
                                const params::ProtoRowRecord& row)
{
    if (before.size() != after.size()) return false;
    const long long first = static_cast<long long>(row.Offset) - 1;
    const long long last = first + row.ByteSize - 1;
    if (first < 0 || last >= static_cast<long long>(before.size())) return before == after;
    for (size_t i = 0; i < before.size(); ++i) {
        const long long at = static_cast<long long>(i);
        if (before[i] != after[i] && (at < first || at > last)) return false;
    }
    const bool bitRow = row.ByteSize == 4 && row.IsFloat == 0 && row.BitNo >= 1 && row.BitNo <= 31;
    if (!bitRow) return true;
    const uint32_t changed = *common::ReadLE<uint32_t>(before, first) ^ *common::ReadLE<uint32_t>(after, first);
    return changed == 0 || changed == (1u << (row.BitNo - 1));
}

// Encodes every text of TextsForRow into every row; false when an encode changed the
// block's size or bytes outside the row's value.
inline bool EncodeEveryRow(common::Bytes& data, const std::vector<params::ProtoRowRecord>& table,
                           FuzzBytes& input, common::Dialogs& dialogs)
{
    bool sound = true;
    for (int row = 0; row < static_cast<int>(table.size()); ++row) {
        const params::ProtoRowRecord& record = table[static_cast<size_t>(row)];
        for (const QString& text : TextsForRow(record, input)) {
            const common::Bytes before = data;
            params::EncodeSetting(text, data, table, row, dialogs);
            sound = ChangedOnlyOwnValue(before, data, record) && sound;
        }
    }
    return sound;
}

// Decoding must change only cell texts and one colour, never the grid's shape.
inline bool DecodeKeepsShape(params::FlexGrid& grid, const common::Bytes& data,
                             const std::vector<params::ProtoRowRecord>& table,
                             const params::ProtoInfoRecord& info, common::Dialogs& dialogs)
{
    const int rows = grid.Rows();
    const int cols = grid.Cols();
    const size_t size = data.size();
    params::FillParamGrid(grid, data, table, info, dialogs);
    return grid.Rows() == rows && grid.Cols() == cols && data.size() == size;
}

}  // namespace fuzz
