#pragma once
// Table rows for decoder, encoder and editor tests.

#include "params/ParamTypes.h"
#include "params/ProtoRows.h"

namespace paramtest {

struct RowFields {
    int offset = 33;
    int byteSize = 1;
    int decimals = 0;
    int bitNo = 0;
    int isList = 0;
    int isFloat = 0;
    int divisor = 1;
    QString options;
    QString optionValues;
};

inline params::ProtoRowRecord MakeRow(const RowFields& s)
{
    params::ProtoRowRecord row;
    row.Offset = static_cast<int16_t>(s.offset);
    row.ByteSize = static_cast<uint8_t>(s.byteSize);
    row.Decimals = static_cast<uint8_t>(s.decimals);
    row.BitNo = static_cast<uint8_t>(s.bitNo);
    row.IsList = static_cast<uint8_t>(s.isList);
    row.IsFloat = static_cast<uint8_t>(s.isFloat);
    row.Divisor = s.divisor;
    row.Options = params::FitOptionText(s.options);
    row.OptionValues = params::FitOptionText(s.optionValues);
    return row;
}

}  // namespace paramtest
