#pragma once
// Writes one edited setting value into the setting block, unscaled.

#include "common/Dialogs.h"
#include "params/ParamTypes.h"

#include <QString>
#include <optional>
#include <vector>

namespace params {

// Encodes `text` (typed digits, or a name chosen from the row's list) into the bytes of
// table row `row`. Nothing is written for a row without a value, of an unknown kind, whose
// value does not lie wholly inside `data`, whose number does not fit its field after
// rounding, or whose list text matches no name. 1 (after the mismatch message, nothing
// written) when the row's names and values differ in number; 0 otherwise.
int EncodeSetting(const QString& text, common::Bytes& data, const std::vector<ProtoRowRecord>& table, int row,
                  common::Dialogs& dialogs);

// The range a typed number must round into for the row's field; nullopt when the field
// takes any number (singles) or the row takes no typed number.
struct FieldRange {
    double lowest;
    double highest;
};
std::optional<FieldRange> TypedFieldRange(const ProtoRowRecord& row);

// Whether a typed number fits the row's field after rounding.
bool TypedNumberFits(const ProtoRowRecord& row, double number);

}  // namespace params
