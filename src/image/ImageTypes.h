#pragma once
// The firmware image in memory and the 50-byte information record stamped into it.

#include "common/LittleEndian.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace image {

constexpr int kImageInfoOffset = 1024;  // offset of the record inside an image
constexpr int kImageInfoSize = 50;

// Layout: DeviceID (Integer) at 0, Reserved (Integer) at 2, DateUpdated (6) at 4,
// OrderID (30) at 10, Remark (10) at 40. Texts are fixed code page 936 fields.
struct ImageInfoRecord {
    int16_t DeviceID = 0;
    int16_t Reserved = 0;
    QByteArray DateUpdated = QByteArray(6, ' ');
    QByteArray OrderID = QByteArray(30, ' ');
    QByteArray Remark = QByteArray(10, ' ');

    common::Bytes ToBytes() const;
    // Reads the record from 50 bytes at `offset`; false (record unchanged) when they
    // do not lie inside the buffer.
    bool FromBytes(const uint8_t* data, size_t size, size_t offset);
};

// The text that one of the record's text fields holds, as a board keeps it. Flash never
// written reads 0xFF, a byte that no code page 936 character uses, so the text ends
// before the field's first 0xFF; the blanks that fill the field are dropped. What is left
// must be whole code page 936 characters, or the field holds no text at all: a blank or
// damaged field reads as empty, never as "?".
QString FieldText(const QByteArray& field);

struct ImageState {
    common::Bytes ImageData;  // ImageLen + 1 elements once loaded
    QString ImageFile;        // full path of the chosen image, "" when none
    int32_t ImageLen = 0;
};

}  // namespace image
