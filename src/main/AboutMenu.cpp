#include "main/AboutMenu.h"

#include "common/Dialogs.h"
#include "main/AboutForm.h"

#include <QDir>
#include <QFileInfo>

namespace mainwin {

namespace {

const QString kHintTitle = QStringLiteral("Hint");

void ShowManualMessage(common::Dialogs& dialogs, const QString& text)
{
    // The answer is not used: either button just closes the box.
    dialogs.Message(text, kHintTitle, common::MsgIcon::Exclamation, common::MsgButtons::YesNo);
}

}  // namespace

QString ManualPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(kManualFileName);
}

void AboutMe_Click(QWidget* parent)
{
    frmAbout about(parent);
    about.exec();
}

void PeoHelp_Click(common::Dialogs& dialogs, const QString& programFolder)
{
    const QFileInfo manual(ManualPath(programFolder));
    if (!manual.exists()) {
        ShowManualMessage(dialogs, QStringLiteral("Documentation is missing!"));
        return;
    }
    // Something of that name that cannot be handed to a viewer (a folder, an unreadable
    // file) is an error on the way to the manual, not a missing manual.
    if (!manual.isFile() || !manual.isReadable()) {
        ShowManualMessage(dialogs, QStringLiteral("Open the help documentation errors!"));
        return;
    }
    // Whether a viewer could show it is the desktop's matter and is not reported.
    dialogs.ShellOpen(manual.absoluteFilePath());
}

void AboutVostel_Click(common::Dialogs& dialogs)
{
    dialogs.ShellOpen(kMakerWebAddress);
}

}  // namespace mainwin
