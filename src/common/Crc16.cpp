#include "common/Crc16.h"

#include <array>

namespace common {
namespace {

// The two published Modbus tables: for index i, CrcTableHi(i) is the low byte and
// CrcTableLo(i) the high byte of entry i of the reflected 0xA001 table.
struct CrcTables {
    std::array<uint8_t, 256> hi{};
    std::array<uint8_t, 256> lo{};
    constexpr CrcTables()
    {
        for (int i = 0; i < 256; ++i) {
            uint16_t crc = static_cast<uint16_t>(i);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
            hi[i] = static_cast<uint8_t>(crc & 0xFF);
            lo[i] = static_cast<uint8_t>(crc >> 8);
        }
    }
};

constexpr CrcTables kTables;
static_assert(kTables.hi[1] == 0xC1 && kTables.hi[2] == 0x81 && kTables.hi[3] == 0x40);
static_assert(kTables.lo[1] == 0xC0 && kTables.lo[2] == 0xC1 && kTables.lo[3] == 0x01);

}  // namespace

CrcRegisters Crc16(const uint8_t* data, size_t size, size_t start, size_t count)
{
    CrcRegisters r;
    if (start > size) return r;
    const size_t end = start + count <= size ? start + count : size;
    for (size_t k = start; k < end; ++k) {
        const uint8_t i = data[k] ^ r.CRCHi;
        r.CRCHi = r.CRCLo ^ kTables.hi[i];
        r.CRCLo = kTables.lo[i];
    }
    return r;
}

}  // namespace common
