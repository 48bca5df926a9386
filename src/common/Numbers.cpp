#include "common/Numbers.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

namespace common {
namespace {

constexpr double kTwoTo31 = 2147483648.0;
constexpr double kTwoTo32 = 4294967296.0;

bool IsIgnoredBlank(QChar c) { return c == ' ' || c == '\t' || c == '\n'; }

// Value of an ASCII digit or letter as a digit of any base up to 36; 36 for anything else.
int DigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(c | 0x20);
    if (lower >= 'a' && lower <= 'z') return lower - 'a' + 10;
    return 36;
}

// Whether the character may stand in the text of some number: digits, letters (the
// hexadecimal digits, radix prefixes and exponent among them), signs and the point.
bool MayBePartOfNumber(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 128) return false;
    const char a = static_cast<char>(u);
    return DigitValue(a) < 36 || a == '&' || a == '+' || a == '-' || a == '.';
}

// The text as ASCII up to the first character that can stand in no number, with the
// ignored blanks taken out when `skipBlanks` is set. Numbers are read from this copy.
std::string NumberCharacters(QStringView text, bool skipBlanks)
{
    std::string out;
    for (QChar c : text) {
        if (skipBlanks && IsIgnoredBlank(c)) continue;
        if (!MayBePartOfNumber(c)) break;
        out.push_back(static_cast<char>(c.unicode()));
    }
    return out;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

struct NumberPrefix {
    double value = 0;
    size_t length = 0;  // characters read; 0 when the text does not start with a number
};

// Hexadecimal or octal digits after the prefix, read as an unsigned value. A value that
// fills 32 bits (from 2^31 up to 2^32 - 1) is the bit pattern of a negative Long, as
// the system colours from &H80000000 on are written.
NumberPrefix ReadRadixDigits(std::string_view digits, int base)
{
    NumberPrefix number;
    while (number.length < digits.size() && DigitValue(digits[number.length]) < base)
        number.value = number.value * base + DigitValue(digits[number.length++]);
    if (number.value >= kTwoTo31 && number.value < kTwoTo32) number.value -= kTwoTo32;
    return number;
}

size_t DigitsFrom(std::string_view s, size_t i)
{
    size_t end = i;
    while (end < s.size() && IsDecimalDigit(s[end])) ++end;
    return end - i;
}

// Length of the decimal number at the start of s (sign, digits, point, exponent), 0 if none.
size_t DecimalPrefixLength(std::string_view s)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = DigitsFrom(s, i);
    i += digits;
    if (i < s.size() && s[i] == '.') {
        const size_t fraction = DigitsFrom(s, i + 1);
        if (digits + fraction > 0) i += 1 + fraction;
        digits += fraction;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const size_t exponentDigits = DigitsFrom(s, j);
        if (exponentDigits > 0) i = j + exponentDigits;
    }
    return i;
}

std::optional<int> RadixOf(std::string_view s)
{
    if (s.size() < 2 || s[0] != '&') return std::nullopt;
    if (s[1] == 'H' || s[1] == 'h') return 16;
    if (s[1] == 'O' || s[1] == 'o') return 8;
    return std::nullopt;
}

// Most numbers in a table are short whole numbers: those are summed up digit by digit,
// exactly, instead of going through the general reader.
std::optional<double> ShortWholeNumber(std::string_view number)
{
    constexpr size_t kExactDigits = 15;  // every 15-digit whole number is exact in a double
    const bool negative = number.front() == '-';
    if (negative || number.front() == '+') number.remove_prefix(1);
    if (number.size() > kExactDigits || DigitsFrom(number, 0) != number.size()) return std::nullopt;
    double value = 0;
    for (char digit : number) value = value * 10 + (digit - '0');
    return negative ? -value : value;
}

NumberPrefix ReadNumberPrefix(std::string_view s)
{
    if (const std::optional<int> base = RadixOf(s)) {
        NumberPrefix number = ReadRadixDigits(s.substr(2), *base);
        if (number.length > 0) number.length += 2;
        return number;
    }
    const size_t length = DecimalPrefixLength(s);
    if (length == 0) return {};
    if (const std::optional<double> whole = ShortWholeNumber(s.substr(0, length))) return {*whole, length};
    // QString's reading gives the infinity of its sign to a number beyond a double's range.
    return {QString::fromLatin1(s.data(), static_cast<qsizetype>(length)).toDouble(), length};
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

double ReadNumber(QStringView text)
{
    return ReadNumberPrefix(NumberCharacters(text, true)).value;
}

bool IsNumeric(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    const std::string s = NumberCharacters(trimmed, false);
    if (s.size() != static_cast<size_t>(trimmed.size())) return false;
    const NumberPrefix number = ReadNumberPrefix(s);
    return number.length > 0 && number.length == s.size();
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
