#pragma once
// Reading numbers from text and storing them into the fixed-width integer types.

#include <QString>
#include <cstdint>
#include <optional>

namespace common {

// The leading number of a text. Blanks, tabs and line feeds are ignored wherever
// they stand; an optional sign, ASCII digits, a decimal point with digits and an
// exponent (E, an optional sign, digits) are read up to the first other character.
// "&H" and "&O" prefixes read hexadecimal and octal digits as an unsigned value, except
// that a value filling 32 bits (&H80000000 to &HFFFFFFFF) is the negative Long of that
// bit pattern. A text with no number at its start gives 0.
double ReadNumber(QStringView text);

// True when the whole text (blanks around it allowed) is one number.
bool IsNumeric(QStringView text);

// Rounding to the nearest integer with halves to the even neighbour; nullopt when the
// result falls outside the target type's range (or the value is not finite).
std::optional<int16_t> ToInteger(double value);
std::optional<uint8_t> ToByte(double value);
std::optional<int32_t> ToLong(double value);

// Fixed-decimal text: at least one integer digit, exactly `decimals` digits after the
// point, a leading "-" for negatives, halves rounded away from zero on the last digit.
// The value is first written with `significantDigits` significant digits, so that a
// single's or double's binary noise does not decide the rounding.
QString FormatFixed(double value, int decimals, int significantDigits = 15);

}  // namespace common
