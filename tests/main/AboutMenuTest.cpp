#include "main/AboutForm.h"
#include "main/AboutMenu.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using common::MsgButtons;
using common::MsgIcon;
using common::MsgResult;
using testsupport::ScriptedDialogs;
using testsupport::TempFolder;

namespace {

QString LabelText(const QWidget& form, const char* name)
{
    auto* label = form.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

}  // namespace

TEST(AboutBox, CaptionAndVersionComeFromTheProgramNotTheDesign)
{
    mainwin::frmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Tolvexan"));
    const QString expected = QStringLiteral("Zevo %1.%2.%3")
                                 .arg(TOLVEXAN_VERSION_MAJOR)
                                 .arg(TOLVEXAN_VERSION_MINOR)
                                 .arg(TOLVEXAN_VERSION_PATCH);
    EXPECT_EQ(LabelText(about, "lblVersion"), expected);
    EXPECT_NE(LabelText(about, "lblVersion"), QStringLiteral("Zevo V2.0"));
}

TEST(AboutBox, VersionLabelUsesPlainDecimalNumbers)
{
    EXPECT_EQ(mainwin::VersionLabelText(1, 0, 0), QStringLiteral("Zevo 1.0.0"));
    EXPECT_EQ(mainwin::VersionLabelText(2, 10, 307), QStringLiteral("Zevo 2.10.307"));
}

TEST(AboutBox, ShowsTheMakersAddressAndName)
{
    mainwin::frmAbout about;
    EXPECT_EQ(LabelText(about, "lblTitle"), QStringLiteral("Burning"));
    EXPECT_EQ(LabelText(about, "lblDescription"), QStringLiteral("Application Descriptor:"));
    EXPECT_TRUE(LabelText(about, "lblContact").startsWith(mainwin::kMakerWebAddress));
    EXPECT_TRUE(LabelText(about, "lblContact").contains(QStringLiteral("Fed back\uFF1A")));
    EXPECT_EQ(LabelText(about, "lblDisclaimer"), mainwin::kMakerCompanyName);
}

TEST(AboutBox, AboutMeShowsTheBoxModallyUntilOk)
{
    QString seenTitle;
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        seenTitle = modal->windowTitle();
        wasModal = modal->isModal();
        modal->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    mainwin::AboutMe_Click(nullptr);
    EXPECT_EQ(seenTitle, QStringLiteral("About Tolvexan"));
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(OperationManual, OpensTheManualInTheProgramFolder)
{
    TempFolder folder;
    folder.write(QStringLiteral("Tolvexan_UG.PDF"), "%PDF-1.4");
    ScriptedDialogs dialogs;
    mainwin::PeoHelp_Click(dialogs, folder.path());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.shellTargets, QStringList{folder.file(QStringLiteral("Tolvexan_UG.PDF"))});
}

TEST(OperationManual, ShellFailureIsNotReported)
{
    TempFolder folder;
    folder.write(QStringLiteral("Tolvexan_UG.PDF"), "%PDF-1.4");
    ScriptedDialogs dialogs;
    dialogs.shellResult = false;
    mainwin::PeoHelp_Click(dialogs, folder.path());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.shellTargets.size(), 1);
}

TEST(OperationManual, MissingManualAsksYesNoAndEitherAnswerJustCloses)
{
    for (MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        TempFolder folder;
        // Another case of the name is not the manual on a case-sensitive file system.
        folder.write(QStringLiteral("tolvexan_ug.pdf"), "%PDF-1.4");
        ScriptedDialogs dialogs;
        dialogs.messageAnswers = {answer};
        mainwin::PeoHelp_Click(dialogs, folder.path());
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Documentation is missing!"));
        EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Hint"));
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNo);
        EXPECT_TRUE(dialogs.shellTargets.isEmpty());
        EXPECT_TRUE(dialogs.messageAnswers.empty());
    }
}

TEST(OperationManual, ManualThatCannotBeHandedOnShowsTheErrorMessage)
{
    TempFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("Tolvexan_UG.PDF"));
    ScriptedDialogs dialogs;
    dialogs.messageAnswers = {MsgResult::No};
    mainwin::PeoHelp_Click(dialogs, folder.path());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Open the help documentation errors!"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Hint"));
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(dialogs.shellTargets.isEmpty());
}

TEST(OperationManual, TheBuildPutsAPdfManualBesideTheProgram)
{
    QFile manual(mainwin::ManualPath(QStringLiteral(TOLVEXAN_PROGRAM_DIR)));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly)) << manual.fileName().toStdString();
    EXPECT_EQ(manual.read(4), QByteArray("%PDF"));
    EXPECT_GT(manual.size(), 10000);
}

TEST(MakersPage, OpensTheOneMakerAddressWithoutMessages)
{
    ScriptedDialogs dialogs;
    dialogs.shellResult = false;
    mainwin::AboutVostel_Click(dialogs);
    EXPECT_EQ(dialogs.shellTargets, QStringList{mainwin::kMakerWebAddress});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(mainwin::kMakerWebAddress.contains(QStringLiteral("example.com")));
}
