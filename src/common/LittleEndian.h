#pragma once
// Little-endian field access inside byte buffers. Every read or write is bounds-checked:
// a field that does not lie wholly inside the buffer reads as nullopt and writes nothing.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

namespace common {

using Bytes = std::vector<uint8_t>;

inline bool FieldFits(size_t bufferSize, long long offset, size_t width)
{
    return offset >= 0 && static_cast<unsigned long long>(offset) + width <= bufferSize;
}

template <typename T>
std::optional<T> ReadLE(const uint8_t* data, size_t size, long long offset)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (!FieldFits(size, offset, sizeof(T))) return std::nullopt;
    uint8_t raw[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) raw[i] = data[static_cast<size_t>(offset) + i];
    T value;
    std::memcpy(&value, raw, sizeof(T));  // the host is little-endian (x86, ARM)
    return value;
}

template <typename T>
bool WriteLE(uint8_t* data, size_t size, long long offset, T value)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (!FieldFits(size, offset, sizeof(T))) return false;
    std::memcpy(data + offset, &value, sizeof(T));
    return true;
}

template <typename T>
std::optional<T> ReadLE(const Bytes& buffer, long long offset)
{
    return ReadLE<T>(buffer.data(), buffer.size(), offset);
}

template <typename T>
bool WriteLE(Bytes& buffer, long long offset, T value)
{
    return WriteLE<T>(buffer.data(), buffer.size(), offset, value);
}

// Appends a little-endian value to a growing frame or record.
template <typename T>
void AppendLE(Bytes& buffer, T value)
{
    uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    buffer.insert(buffer.end(), raw, raw + sizeof(T));
}

}  // namespace common
