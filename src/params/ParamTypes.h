#pragma once
// The parameter tables and data blocks shared by the grids, the link engine, image
// preparation and the project nodes.

#include "common/LittleEndian.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace params {

// One row of a protocol table (one grid row).
struct ProtoRowRecord {
    int16_t Offset = 0;      // 1-based position of the value's first byte; <= 0: no value
    uint8_t ByteSize = 0;    // 1, 2 or 4
    uint8_t Decimals = 0;    // 0..5
    uint8_t BitNo = 0;       // 0 whole value, n: bit n counted from 1
    uint8_t IsList = 0;
    uint8_t IsFloat = 0;
    int32_t Divisor = 0;
    QString Options;         // exactly 60 characters, blank-padded
    QString OptionValues;    // exactly 60 characters, blank-padded
};

struct ProtoInfoRecord {
    int16_t HeaderValue = 0;  // 1..60
    int16_t RowCount = 0;     // rows loaded, title row included
    int16_t DataLen = 0;      // 1..480, size of the data block in bytes
};

// Table and buffer sizes given at start-up, before any table is parsed.
constexpr int kInitialSetDataSize = 61;   // indexes 0..60
constexpr int kInitialDispDataSize = 73;  // indexes 0..72

// The parameter state of the program: both tables, their information and both blocks.
struct ParamState {
    std::vector<ProtoRowRecord> SetTable;
    std::vector<ProtoRowRecord> DispTable;
    std::array<ProtoInfoRecord, 2> ProtoInfo{};  // 0: settings, 1: display
    common::Bytes SetData = common::Bytes(kInitialSetDataSize, 0);
    common::Bytes DispData = common::Bytes(kInitialDispDataSize, 0);
};

}  // namespace params
