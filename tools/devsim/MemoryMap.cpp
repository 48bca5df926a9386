#include "MemoryMap.h"

#include <algorithm>
#include <utility>

namespace devsim {

MemoryMap::MemoryMap() : flash_(kFlashSize, 0xFF), ram_(kRamSize, 0x00) {}

const common::Bytes* MemoryMap::Locate(uint32_t address, size_t length, size_t& offset) const
{
    const auto inside = [&](uint32_t start, const common::Bytes& block) {
        return address >= start && address - start + static_cast<uint64_t>(length) <= block.size();
    };
    if (inside(kFlashStart, flash_)) {
        offset = address - kFlashStart;
        return &flash_;
    }
    if (inside(kRamStart, ram_)) {
        offset = address - kRamStart;
        return &ram_;
    }
    return nullptr;
}

common::Bytes* MemoryMap::Locate(uint32_t address, size_t length, size_t& offset)
{
    return const_cast<common::Bytes*>(std::as_const(*this).Locate(address, length, offset));
}

std::optional<common::Bytes> MemoryMap::Read(uint32_t address, size_t length) const
{
    size_t offset = 0;
    const common::Bytes* block = Locate(address, length, offset);
    if (!block) return std::nullopt;
    return common::Bytes(block->begin() + offset, block->begin() + offset + length);
}

bool MemoryMap::Write(uint32_t address, const common::Bytes& data)
{
    size_t offset = 0;
    common::Bytes* block = Locate(address, data.size(), offset);
    if (!block) return false;
    std::copy(data.begin(), data.end(), block->begin() + offset);
    return true;
}

bool MemoryMap::EraseFlash(uint32_t address, size_t length)
{
    size_t offset = 0;
    if (Locate(address, length, offset) != &flash_) return false;
    std::fill_n(flash_.begin() + offset, length, 0xFF);
    return true;
}

}  // namespace devsim
