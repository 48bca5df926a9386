#include "image/ImageTypes.h"

#include "common/Codepage.h"

#include <cstring>

namespace image {

common::Bytes ImageInfoRecord::ToBytes() const
{
    common::Bytes out;
    out.reserve(kImageInfoSize);
    common::AppendLE<int16_t>(out, DeviceID);
    common::AppendLE<int16_t>(out, Reserved);
    auto appendFixed = [&out](const QByteArray& text, int width) {
        for (int i = 0; i < width; ++i)
            out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : uint8_t(' '));
    };
    appendFixed(DateUpdated, 6);
    appendFixed(OrderID, 30);
    appendFixed(Remark, 10);
    return out;
}

bool ImageInfoRecord::FromBytes(const uint8_t* data, size_t size, size_t offset)
{
    if (offset + kImageInfoSize > size) return false;
    const uint8_t* p = data + offset;
    DeviceID = *common::ReadLE<int16_t>(p, kImageInfoSize, 0);
    Reserved = *common::ReadLE<int16_t>(p, kImageInfoSize, 2);
    DateUpdated = QByteArray(reinterpret_cast<const char*>(p + 4), 6);
    OrderID = QByteArray(reinterpret_cast<const char*>(p + 10), 30);
    Remark = QByteArray(reinterpret_cast<const char*>(p + 40), 10);
    return true;
}

QString FieldText(const QByteArray& field)
{
    constexpr char kErased = '\xFF';
    const qsizetype erased = field.indexOf(kErased);
    QByteArray text = erased < 0 ? field : field.first(erased);
    while (text.endsWith(' ')) text.chop(1);
    return common::FromCodePageExactly(text).value_or(QString());
}

}  // namespace image
