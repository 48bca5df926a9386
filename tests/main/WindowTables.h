#pragma once
// Protocol-table files for window tests: a title row and one list row ("Mode" at block byte
// 32), or that row and a typed row ("Level" at block byte 40, limits 0 to 200); CR LF,
// code page 936.

#include "common/Codepage.h"
#include "support/TempFolder.h"

#include <QStringList>

namespace testmain {

inline QString WriteProtocolTable(const testsupport::TempFolder& folder, const QString& name, int dataLen,
                                  bool withTypedRow = false)
{
    const QString title = "No.><4><0><255><300><9\\/Name><4><0><255><300><9\\/Unit><4><0><255><300><9\\/"
                          "Value><4><0><255><300><9";
    const QString row = "x><1><0><255><300><9\\/Mode><1><0><255><300><9\\/-><1><0><255><300><9\\/><1><0><255>"
                        "<300><9\\/List:><33><1><0><0><1><0><1><Off||On||Auto><0||1||2";
    const QString typedRow = "x><1><0><255><300><9\\/Level><1><0><255><300><9\\/V><1><0><255><300><9\\/><1><0><255>"
                             "<300><9\\/List:><41><1><0><0><0><0><1><0||200><";
    QStringList lines{QStringLiteral("1\\/%1").arg(dataLen), "500\\/900\\/400\\/600", title, row};
    if (withTypedRow) lines << typedRow;
    lines << "End";
    return folder.write(name, common::ToCodePage(lines.join("\r\n") + "\r\n"));
}

}  // namespace testmain
