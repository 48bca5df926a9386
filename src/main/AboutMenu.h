#pragma once
// The About menu: the About box, the operation manual and the maker's web page.

#include <QString>

class QWidget;

namespace common {
class Dialogs;
}

namespace mainwin {

// The maker's details shown in the About box; the web address is also what the
// "About Corvak Electronics" entry opens.
inline const QString kMakerWebAddress = QStringLiteral("https://www.example.com/corvak/");
inline const QString kMakerCompanyName = QStringLiteral("Corvak Electronics Co., Ltd.");
inline const QString kMakerFeedbackNumber = QStringLiteral("000-0000-0000");

// The operation manual's file name inside the program folder.
inline const QString kManualFileName = QStringLiteral("Tolvexan_UG.PDF");

// Full path of the operation manual for the given program folder.
QString ManualPath(const QString& programFolder);

// "About Burning": shows the About box modally over `parent`.
void AboutMe_Click(QWidget* parent);

// "operation manual": opens the manual from the program folder, or says why it cannot.
void PeoHelp_Click(common::Dialogs& dialogs, const QString& programFolder);

// "About Corvak Electronics": opens the maker's web page; nothing is reported.
void AboutVostel_Click(common::Dialogs& dialogs);

}  // namespace mainwin
