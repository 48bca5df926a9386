#pragma once
// Protocol-table files for tests: lines joined with CR LF, in code page 936.

#include "common/Codepage.h"
#include "support/TempFolder.h"

#include <QStringList>

namespace paramtest {

inline QString WriteTableFile(const testsupport::TempFolder& folder, const QStringList& lines,
                              const QString& name = "Table.For")
{
    return folder.write(name, common::ToCodePage(lines.join("\r\n") + "\r\n"));
}

// A displayed cell with alignment 1, black on white, row height 300 and a 9-point font.
inline QString Cell(const QString& text)
{
    return text + "><1><0><16777215><300><9";
}

}  // namespace paramtest
