#pragma once
// Turns a parameter block into the text of column 3 of its grid, one table row per
// grid row.

#include "common/Dialogs.h"
#include "params/FlexGrid.h"
#include "params/ParamTypes.h"

#include <vector>

namespace params {

// Column of the grid that shows the values.
constexpr int kValueColumn = 3;

// Writes every row's value text and colours the grid's current cell black. A row whose
// value does not lie wholly inside `data`, or of an unknown kind, keeps its text.
// 1 (after the mismatch message, with the later rows and the colour left as they were)
// when a list row's names and values differ in number; 0 otherwise.
int FillParamGrid(FlexGrid& grid, const common::Bytes& data, const std::vector<ProtoRowRecord>& table,
                  const ProtoInfoRecord& info, common::Dialogs& dialogs);

// The text of a scaled number with `decimals` decimals (0 to 5); an empty text for any
// other count, which leaves the cell as it is. A single is first written with the seven
// significant digits it holds (more when its integer part is longer), then rounded half
// away from zero.
QString DecimalsText(float value, int decimals);

}  // namespace params
