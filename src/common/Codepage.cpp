#include "common/Codepage.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace common {
namespace {

// Runs iconv over the whole input, replacing what cannot be converted by `fallback`
// and skipping one input unit at such a place.
QByteArray Convert(const char* to, const char* from, const QByteArray& input, int unit,
                   const QByteArray& fallback)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return QByteArray();
    QByteArray out;
    char buffer[1024];
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<int>(sizeof buffer - outLeft));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: an unconvertible or truncated sequence.
        out.append(fallback);
        size_t skip = std::min(inLeft, static_cast<size_t>(unit));
        in += skip;
        inLeft -= skip;
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<int>(sizeof buffer - outLeft));
    iconv_close(cd);
    return out;
}

}  // namespace

QByteArray ToCodePage(const QString& text)
{
    QByteArray utf32;
    const QList<uint> codePoints = text.toUcs4();
    for (uint cp : codePoints) utf32.append(reinterpret_cast<const char*>(&cp), 4);
    return Convert("GBK", "UTF-32LE", utf32, 4, "?");
}

QString FromCodePage(const QByteArray& bytes)
{
    QByteArray utf8 = Convert("UTF-8", "GBK", bytes, 1, "?");
    return QString::fromUtf8(utf8);
}

QByteArray FixedText(const QString& text, int width)
{
    QByteArray bytes;
    for (QChar c : text) {
        QByteArray one = ToCodePage(QString(c));
        if (bytes.size() + one.size() > width) break;
        bytes.append(one);
    }
    bytes.append(QByteArray(width - bytes.size(), ' '));
    return bytes;
}

}  // namespace common
