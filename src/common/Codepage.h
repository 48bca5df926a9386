#pragma once
// Text at every file and wire boundary is code page 936 (GBK). In memory it is QString.

#include <QByteArray>
#include <QString>
#include <optional>

namespace common {

// Converts to code page 936; a character that code page 936 cannot hold becomes "?".
QByteArray ToCodePage(const QString& text);

// Converts from code page 936; an invalid byte sequence becomes "?" and reading goes on.
QString FromCodePage(const QByteArray& bytes);

// Converts from code page 936 when every byte belongs to a whole character; nullopt when
// any sequence is invalid or cut off.
std::optional<QString> FromCodePageExactly(const QByteArray& bytes);

// A fixed text field of `width` bytes: the text in code page 936, cut to `width` bytes
// (never inside a two-byte character) and padded with blanks. A character that code
// page 936 cannot hold is left out, so the field never holds a "?" the text did not.
QByteArray FixedText(const QString& text, int width);

}  // namespace common
