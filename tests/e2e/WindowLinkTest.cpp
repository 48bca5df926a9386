// The real window on a real serial line: a ports-folder link COM5 names the stand-in
// controller's pseudo-terminal, the window opens it, its timer drives the link engine,
// and the status bar shows the controller's mode.
#include "main/AppState.h"
#include "main/StatusBar.h"
#include "main/ViewForm.h"

#include "common/DateText.h"
#include "link/QtSerialPort.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr int kGenerousWaitMs = 15000;  // an upper bound only; the test ends as soon as it holds

class WindowLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(folder.file("ports")));
        devsim.setProgram(QStringLiteral(TOLVEXAN_PROGRAM_DIR) + "/devsim");
        devsim.setArguments({"--link", folder.file("ports/COM5")});
        devsim.start();
        ASSERT_TRUE(devsim.waitForStarted(kGenerousWaitMs));
        ASSERT_TRUE(devsim.waitForReadyRead(kGenerousWaitMs)) << "devsim printed no device path";
        ASSERT_TRUE(QFileInfo::exists(folder.file("ports/COM5")));
    }

    void TearDown() override
    {
        devsim.terminate();
        if (!devsim.waitForFinished(kGenerousWaitMs)) devsim.kill();
    }

    testsupport::TempFolder folder;
    QProcess devsim;
};

TEST_F(WindowLinkTest, OpeningThePortStartsPollingAndShowsTheLinkMode)
{
    common::AppEnvironment env;
    env.programFolder = folder.path();
    env.portsFolder = folder.file("ports");
    env.recordFolder = folder.file("ProRecord(M0)");
    testsupport::ScriptedDialogs dialogs;
    mainwin::AppState state;
    devlink::QtSerialPort port(env.portsFolder, folder.file("no-devices"));
    mainwin::ViewForm form(env, dialogs, state, port);
    form.endProgram = [] {};
    form.Form_Load();  // no tables here: two messages, then the window
    EXPECT_EQ(dialogs.messages.size(), 2u);

    EXPECT_TRUE(QTest::qWaitFor([&] { return form.SB->Panel(1) == "Open port first！"; }, kGenerousWaitMs));

    form.ComboSet[0]->setCurrentText("COM5");
    form.Command2->click();
    ASSERT_EQ(form.Command2->text(), "CloseUart") << dialogs.MessageTexts().join("; ").toStdString();
    EXPECT_TRUE(port.PortOpen());

    EXPECT_TRUE(QTest::qWaitFor([&] { return form.SB->Panel(1) == "Link normal-run mode"; }, kGenerousWaitMs))
        << form.SB->Panel(1).toStdString();

    form.Command2->click();
    EXPECT_FALSE(port.PortOpen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.SB->Panel(1) == "Open port first！"; }, kGenerousWaitMs));
    form.EndPro_Click();
}

}  // namespace
