#pragma once
// Draws values one after the other from a fuzz input. When the input runs out every
// draw gives zero, so any input, the empty one included, yields a complete case.

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace fuzz {

class FuzzBytes {
public:
    FuzzBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return next_ >= size_; }
    size_t Remaining() const { return size_ - next_; }

    uint8_t Byte() { return Empty() ? 0 : data_[next_++]; }

    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }

    uint32_t DoubleWord() { return static_cast<uint32_t>(Word()) | (static_cast<uint32_t>(Word()) << 16); }

    // A value in 0..count-1 (count >= 1).
    uint32_t Below(uint32_t count) { return count <= 256 ? Byte() % count : Word() % count; }

    // One of the given values.
    template <typename T, size_t N>
    T OneOf(const T (&values)[N])
    {
        return values[Below(static_cast<uint32_t>(N))];
    }

    // Up to `most` raw bytes.
    QByteArray Chunk(size_t most)
    {
        const size_t count = std::min(most, Remaining());
        QByteArray bytes(reinterpret_cast<const char*>(data_ + next_), static_cast<qsizetype>(count));
        next_ += count;
        return bytes;
    }

    // Up to `most` bytes read as Latin-1 text: every byte value becomes one character.
    QString Text(size_t most) { return QString::fromLatin1(Chunk(Below(static_cast<uint32_t>(most) + 1))); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
};

}  // namespace fuzz
