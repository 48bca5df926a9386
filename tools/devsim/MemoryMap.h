#pragma once
// The controller's memory as the tool sees it: flash from 0x08000000 and RAM from
// 0x20000000. Erased flash reads 0xFF.

#include "common/LittleEndian.h"

#include <cstdint>
#include <optional>

namespace devsim {

constexpr uint32_t kFlashStart = 0x08000000;
constexpr uint32_t kFlashSize = 0x10000;  // 64 KB
constexpr uint32_t kRamStart = 0x20000000;
constexpr uint32_t kRamSize = 0x2000;     // 8 KB
constexpr uint32_t kPageSize = 1024;

class MemoryMap {
public:
    MemoryMap();

    // nullopt when the range does not lie wholly inside flash or RAM.
    std::optional<common::Bytes> Read(uint32_t address, size_t length) const;
    bool Write(uint32_t address, const common::Bytes& data);
    // Erases [address, address + length) of flash; false outside flash.
    bool EraseFlash(uint32_t address, size_t length);

    const common::Bytes& Flash() const { return flash_; }

private:
    // The block holding the range and the range's offset in it; null when none does.
    common::Bytes* Locate(uint32_t address, size_t length, size_t& offset);
    const common::Bytes* Locate(uint32_t address, size_t length, size_t& offset) const;

    common::Bytes flash_;
    common::Bytes ram_;
};

}  // namespace devsim
