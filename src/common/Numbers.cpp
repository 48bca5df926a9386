#include "common/Numbers.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace common {
namespace {

bool IsIgnoredBlank(QChar c) { return c == ' ' || c == '\t' || c == '\n'; }

QString WithoutBlanks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!IsIgnoredBlank(c)) out.append(c);
    return out;
}

// Reads digits of the given base from the start of `digits`; stops at the first other character.
double ReadRadix(const QString& digits, int base, int* used)
{
    double value = 0;
    int i = 0;
    for (; i < digits.size(); ++i) {
        int d = QString(digits[i]).toInt(nullptr, 16);
        bool isDigit = digits[i].isDigit() || (base == 16 && QString("abcdefABCDEF").contains(digits[i]));
        if (!isDigit || d >= base) break;
        value = value * base + d;
    }
    if (used) *used = i;
    // A hexadecimal text of up to 8 digits is a 16- or 32-bit two's complement value.
    if (base == 16 && i > 4 && i <= 8 && value >= 2147483648.0) value -= 4294967296.0;
    else if (base == 16 && i <= 4 && value >= 32768.0) value -= 65536.0;
    else if (base == 8 && value >= 2147483648.0 && value < 4294967296.0) value -= 4294967296.0;
    return value;
}

// Length of the decimal number at the start of s (sign, digits, point, exponent), 0 if none.
int DecimalPrefixLength(const QString& s)
{
    int i = 0;
    const int n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    int digits = 0;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) { ++i; ++digits; }
    if (i < n && s[i] == '.') {
        int j = i + 1;
        int fraction = 0;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) { ++j; ++fraction; }
        if (digits + fraction > 0) { i = j; digits += fraction; }
    }
    if (digits == 0) return 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        int j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
        int exponentDigits = 0;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) { ++j; ++exponentDigits; }
        if (exponentDigits > 0) i = j;
    }
    return i;
}

double ParseDecimal(const QString& s, int length)
{
    QString part = s.left(length);
    part.replace('d', 'e').replace('D', 'e');
    return part.toDouble();
}

bool HasRadixPrefix(const QString& s, QChar letter)
{
    return s.size() >= 2 && s[0] == '&' && s[1].toUpper() == letter;
}

template <typename T>
std::optional<T> RoundInto(double value)
{
    if (!std::isfinite(value)) return std::nullopt;
    double rounded = std::nearbyint(value);  // default rounding mode: halves to even
    if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(rounded);
}

}  // namespace

double ReadNumber(const QString& text)
{
    const QString s = WithoutBlanks(text);
    if (HasRadixPrefix(s, 'H')) return ReadRadix(s.mid(2), 16, nullptr);
    if (HasRadixPrefix(s, 'O')) return ReadRadix(s.mid(2), 8, nullptr);
    int length = DecimalPrefixLength(s);
    return length == 0 ? 0.0 : ParseDecimal(s, length);
}

bool IsNumeric(const QString& text)
{
    const QString s = text.trimmed();
    if (s.isEmpty()) return false;
    if (HasRadixPrefix(s, 'H') || HasRadixPrefix(s, 'O')) {
        int used = 0;
        ReadRadix(s.mid(2), HasRadixPrefix(s, 'H') ? 16 : 8, &used);
        return used > 0 && used == s.size() - 2;
    }
    return DecimalPrefixLength(s) == s.size();
}

std::optional<int16_t> ToInteger(double value) { return RoundInto<int16_t>(value); }
std::optional<uint8_t> ToByte(double value) { return RoundInto<uint8_t>(value); }
std::optional<int32_t> ToLong(double value) { return RoundInto<int32_t>(value); }

QString FormatFixed(double value, int decimals, int significantDigits)
{
    if (!std::isfinite(value)) return QString::number(value);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", significantDigits - 1, std::fabs(value));
    // buffer holds d.ddddde±x: gather the digits and the decimal exponent.
    std::string text(buffer);
    const auto ePos = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, ePos - 2);
    const int exponent = std::stoi(text.substr(ePos + 1));
    // Digits before the point: exponent + 1 (may be zero or negative).
    int integerDigits = exponent + 1;
    if (integerDigits < 1) {
        digits.insert(0, static_cast<size_t>(1 - integerDigits), '0');
        integerDigits = 1;
    }
    const size_t keep = static_cast<size_t>(integerDigits + decimals);
    if (digits.size() < keep) digits.append(keep - digits.size(), '0');
    const bool roundUp = digits.size() > keep && digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp) {
        int i = static_cast<int>(keep) - 1;
        for (; i >= 0 && digits[static_cast<size_t>(i)] == '9'; --i) digits[static_cast<size_t>(i)] = '0';
        if (i >= 0) ++digits[static_cast<size_t>(i)];
        else { digits.insert(0, 1, '1'); ++integerDigits; }
    }
    std::string out = digits.substr(0, static_cast<size_t>(integerDigits));
    if (decimals > 0) out += "." + digits.substr(static_cast<size_t>(integerDigits));
    const bool isZero = out.find_first_not_of("0.") == std::string::npos;
    if (value < 0 && !isZero) out.insert(0, 1, '-');
    return QString::fromStdString(out);
}

}  // namespace common
