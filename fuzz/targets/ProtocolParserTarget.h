#pragma once
// Fuzz entry: the bytes as a protocol-table file, parsed in both roles (setting and
// display table), each block sized as its parse says, decoded into its grid, and every
// setting row encoded with texts taken from its lists and from the input.

#include "FuzzBytes.h"
#include "SilentDialogs.h"
#include "TableChecks.h"
#include "params/ProtocolFile.h"
#include "params/ProtoRows.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// What a successful parse promises: a row count of at least 1, one record per grid row
// plus the spare one, 60-character list texts and a data length of 1..480.
inline bool ParsedTableIsSound(const params::FlexGrid& grid, const std::vector<params::ProtoRowRecord>& table,
                               const params::ProtoInfoRecord& info)
{
    if (info.RowCount < 1 || info.DataLen < 1 || info.DataLen > 480) return false;
    if (table.size() != static_cast<size_t>(info.RowCount) + 1 || grid.Rows() != info.RowCount) return false;
    for (const params::ProtoRowRecord& row : table)
        if (row.Options.size() != params::kOptionTextLength || row.OptionValues.size() != params::kOptionTextLength)
            return false;
    return true;
}

// Parses `path` into one role; on success the block takes DataLen + 1 bytes, as at
// start-up, otherwise it keeps its start-up size.
inline bool ParseIntoRole(params::FlexGrid& grid, const QString& path, std::vector<params::ProtoRowRecord>& table,
                          params::ProtoInfoRecord& info, common::Bytes& block)
{
    if (params::ParseProtocolFile(grid, path, table, info) != 0) return true;
    if (!ParsedTableIsSound(grid, table, info)) return false;
    block.assign(static_cast<size_t>(info.DataLen) + 1, 0);
    return true;
}

// False when an invariant broke; a crash, hang or sanitizer report is the other failure.
inline bool RunProtocolParser(const uint8_t* data, size_t size)
{
    QTemporaryDir folder;
    if (!folder.isValid()) return true;
    const QString path = folder.filePath(QStringLiteral("Config.For"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return true;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    SilentDialogs dialogs;
    params::ParamState state;
    params::FlexGrid setGrid;
    params::FlexGrid dispGrid;
    bool sound = ParseIntoRole(setGrid, path, state.SetTable, state.ProtoInfo[0], state.SetData) &&
                 ParseIntoRole(dispGrid, path, state.DispTable, state.ProtoInfo[1], state.DispData);

    // The block's bytes come from the input too, so decoded values vary with it.
    FuzzBytes input(data, size);
    for (uint8_t& byte : state.SetData) byte = input.Byte();
    for (uint8_t& byte : state.DispData) byte = input.Byte();

    sound = DecodeKeepsShape(setGrid, state.SetData, state.SetTable, state.ProtoInfo[0], dialogs) && sound;
    sound = DecodeKeepsShape(dispGrid, state.DispData, state.DispTable, state.ProtoInfo[1], dialogs) && sound;
    FuzzBytes texts(data, size);
    sound = EncodeEveryRow(state.SetData, state.SetTable, texts, dialogs) && sound;
    return sound;
}

}  // namespace fuzz
