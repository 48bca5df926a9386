#pragma once
// CRC-16/MODBUS by the two-table method. The result is left in two registers:
// CRCLo holds the HIGH byte of the value and CRCHi the LOW byte; frames and setting
// blocks store CRCLo first.

#include <cstddef>
#include <cstdint>

namespace common {

struct CrcRegisters {
    uint8_t CRCLo = 0xFF;
    uint8_t CRCHi = 0xFF;
    uint16_t Value() const { return static_cast<uint16_t>((CRCLo << 8) | CRCHi); }
};

// Runs over data[start] .. data[start + count - 1]; count 0 leaves both registers 0xFF.
// The range must lie inside the buffer; bytes beyond `size` are never read.
CrcRegisters Crc16(const uint8_t* data, size_t size, size_t start, size_t count);

}  // namespace common
