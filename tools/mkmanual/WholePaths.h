#pragma once
// Line breaking of the manual's text.

class QTextDocument;

namespace manual {

// Keeps each path ("/dev/ttyACM*", "D:\ProRecord(M0)") on one line: the line breaker may
// otherwise break after a slash or before a backslash. A word joiner between every two
// characters of a blank-free run that holds a slash or a backslash forbids those breaks;
// it has no width and no glyph.
void KeepPathsWhole(QTextDocument& document);

}  // namespace manual
