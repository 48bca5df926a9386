#pragma once
// The protocol-table files "Config.For" and "Display.For": each lays out one grid and
// gives, per grid row, where and how the row's value lies in the parameter block.

#include "params/FlexGrid.h"
#include "params/ParamTypes.h"

#include <QString>
#include <vector>

namespace params {

// Fills the grid, the table (one record per grid row plus a spare one) and the table's
// information from the file. 0 when the file loaded with at least one row, 1 otherwise;
// after a failure the grid and table keep what was filled before it.
int ParseProtocolFile(FlexGrid& grid, const QString& fileName, std::vector<ProtoRowRecord>& table,
                      ProtoInfoRecord& info);

}  // namespace params
