#pragma once
// Image files for tests: a recognisable byte pattern with a blank record area.

#include "common/LittleEndian.h"
#include "image/ImageTypes.h"
#include "params/ParamTypes.h"

#include <QByteArray>

namespace imagetest {

// Byte k is k * 7 + 3 (mod 256); bytes 1024..1073 are 0xFF when the image reaches them.
inline QByteArray BlankImage(int length)
{
    QByteArray bytes(length, '\0');
    for (int k = 0; k < length; ++k) bytes[k] = static_cast<char>(k * 7 + 3);
    for (int k = image::kImageInfoOffset; k < length && k < image::kImageInfoOffset + image::kImageInfoSize; ++k)
        bytes[k] = static_cast<char>(0xFF);
    return bytes;
}

inline common::Bytes ToBytes(const QByteArray& bytes) { return common::Bytes(bytes.begin(), bytes.end()); }

// A setting block of `dataLen` bytes whose length field is right (PayloadLen at 20..23)
// and whose payload is a pattern; its CRC is not stamped yet.
inline params::ParamState SettingsOfLength(int dataLen, bool lengthFieldRight = true)
{
    params::ParamState state;
    state.ProtoInfo[0].DataLen = static_cast<int16_t>(dataLen);
    state.SetData.assign(static_cast<size_t>(dataLen) + 1, 0);
    for (int i = 32; i < dataLen; ++i) state.SetData[i] = static_cast<uint8_t>(i * 5);
    common::WriteLE<int32_t>(state.SetData, 20, lengthFieldRight ? dataLen - 32 : dataLen);
    return state;
}

}  // namespace imagetest
