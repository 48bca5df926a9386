#include "common/Codepage.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <optional>

namespace common {
namespace {

// One open iconv conversion. Opening one loads a conversion module, which costs far
// more than converting a short text, so each thread keeps the ones it uses open.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (IsOpen()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return cd_; }

private:
    iconv_t cd_;
};

const Converter& Utf32ToCodePage()
{
    thread_local const Converter converter("GBK", "UTF-32LE");
    return converter;
}

const Converter& CodePageToUtf8()
{
    thread_local const Converter converter("UTF-8", "GBK");
    return converter;
}

// Runs iconv over the whole input, replacing what cannot be converted by `fallback`
// and skipping one input unit at such a place; `whole` becomes false at such a place.
QByteArray Convert(const Converter& converter, const QByteArray& input, int unit, const QByteArray& fallback,
                   bool* whole = nullptr)
{
    if (!converter.IsOpen()) return QByteArray();
    iconv_t cd = converter.Handle();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
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
        if (whole) *whole = false;
        out.append(fallback);
        size_t skip = std::min(inLeft, static_cast<size_t>(unit));
        in += skip;
        inLeft -= skip;
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<int>(sizeof buffer - outLeft));
    return out;
}

QByteArray Encode(const QString& text, const QByteArray& fallback, bool* whole)
{
    QByteArray utf32;
    const QList<uint> codePoints = text.toUcs4();
    for (uint cp : codePoints) utf32.append(reinterpret_cast<const char*>(&cp), 4);
    return Convert(Utf32ToCodePage(), utf32, 4, fallback, whole);
}

// Code page 936 keeps bytes below 0x80 as ASCII, and a byte below 0x40 can never be
// the second byte of a two-byte character. So a run of ASCII bytes that starts where a
// character starts is that text as it stands, and the stretch from a byte of 0x80 or
// above up to the next byte below 0x40 converts on its own exactly as within the whole
// text: the converter pays only for the stretches that need it, which in a table are
// the Chinese texts among mostly ASCII numbers and separators.
QString Decode(const QByteArray& bytes, bool* whole)
{
    QString text;
    text.reserve(bytes.size());
    const auto byteAt = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    qsizetype i = 0;
    while (i < bytes.size()) {
        qsizetype end = i;
        if (byteAt(i) < 0x80) {
            while (end < bytes.size() && byteAt(end) < 0x80) ++end;
            text.append(QLatin1StringView(bytes.constData() + i, end - i));
        } else {
            while (end < bytes.size() && byteAt(end) >= 0x40) ++end;
            text.append(QString::fromUtf8(Convert(CodePageToUtf8(), bytes.mid(i, end - i), 1, "?", whole)));
        }
        i = end;
    }
    return text;
}

}  // namespace

QByteArray ToCodePage(const QString& text)
{
    return Encode(text, "?", nullptr);
}

QString FromCodePage(const QByteArray& bytes)
{
    return Decode(bytes, nullptr);
}

std::optional<QString> FromCodePageExactly(const QByteArray& bytes)
{
    bool whole = true;
    QString text = Decode(bytes, &whole);
    if (!whole) return std::nullopt;
    return text;
}

QByteArray FixedText(const QString& text, int width)
{
    QByteArray bytes;
    for (QChar c : text) {
        bool held = true;
        const QByteArray one = Encode(QString(c), QByteArray(), &held);
        if (!held) continue;
        if (bytes.size() + one.size() > width) break;
        bytes.append(one);
    }
    bytes.append(QByteArray(width - bytes.size(), ' '));
    return bytes;
}

}  // namespace common
