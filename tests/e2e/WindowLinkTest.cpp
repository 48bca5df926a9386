// The real window on a real serial line: a ports-folder link COM5 names the stand-in
// controller's pseudo-terminal, the window opens it, its timer drives the link engine,
// and the status bar shows the controller's mode.
#include "main/AppState.h"
#include "main/StatusBar.h"
#include "main/ViewForm.h"

#include "common/DateText.h"
#include "link/QtSerialPort.h"
#include "params/FlexGrid.h"
#include "params/SettingsBlock.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
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
    void StartDevsim(QStringList extraArguments = {})
    {
        ASSERT_TRUE(QDir().mkpath(folder.file("ports")));
        devsim.setProgram(QStringLiteral(TOLVEXAN_PROGRAM_DIR) + "/devsim");
        devsim.setArguments(QStringList({"--link", folder.file("ports/COM5")}) + extraArguments);
        devsim.start();
        ASSERT_TRUE(devsim.waitForStarted(kGenerousWaitMs));
        ASSERT_TRUE(devsim.waitForReadyRead(kGenerousWaitMs)) << "devsim printed no device path";
        ASSERT_TRUE(QFileInfo::exists(folder.file("ports/COM5")));
    }

    common::AppEnvironment Environment() const
    {
        common::AppEnvironment env;
        env.programFolder = folder.path();
        env.portsFolder = folder.file("ports");
        env.recordFolder = folder.file("ProRecord(M0)");
        return env;
    }

    void OpenCom5(mainwin::ViewForm& form, const testsupport::ScriptedDialogs& dialogs)
    {
        form.ComboSet[0]->setCurrentText("COM5");
        form.Command2->click();
        ASSERT_EQ(form.Command2->text(), "CloseUart") << dialogs.MessageTexts().join("; ").toStdString();
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
    StartDevsim();
    ASSERT_FALSE(HasFatalFailure());
    common::AppEnvironment env = Environment();
    testsupport::ScriptedDialogs dialogs;
    mainwin::AppState state;
    devlink::QtSerialPort port(env.portsFolder, folder.file("no-devices"));
    mainwin::ViewForm form(env, dialogs, state, port);
    form.endProgram = [] {};
    form.Form_Load();  // no tables here: two messages, then the window
    EXPECT_EQ(dialogs.messages.size(), 2u);

    EXPECT_TRUE(QTest::qWaitFor([&] { return form.SB->Panel(1) == "Open port first！"; }, kGenerousWaitMs));

    OpenCom5(form, dialogs);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(port.PortOpen());

    EXPECT_TRUE(QTest::qWaitFor([&] { return form.SB->Panel(1) == "Link normal-run mode"; }, kGenerousWaitMs))
        << form.SB->Panel(1).toStdString();

    form.Command2->click();
    EXPECT_FALSE(port.PortOpen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.SB->Panel(1) == "Open port first！"; }, kGenerousWaitMs));
    form.EndPro_Click();
}

}  // namespace

namespace {

TEST_F(WindowLinkTest, ReadingTheSettingsFromThePictureMenuFillsTheSettingGrid)
{
    for (const char* name : {"Config.For", "Display.For"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVEXAN_SOURCE_DIR "/data/") + name, folder.file(name)));
    common::AppEnvironment env = Environment();
    testsupport::ScriptedDialogs dialogs;
    mainwin::AppState state;
    devlink::QtSerialPort port(env.portsFolder, folder.file("no-devices"));
    mainwin::ViewForm form(env, dialogs, state, port);
    form.endProgram = [] {};
    form.Form_Load();
    ASSERT_TRUE(dialogs.messages.empty());

    // The controller holds a valid setting block of the table's length.
    const int dataLen = state.params.ProtoInfo[0].DataLen;
    common::Bytes stored(size_t(dataLen) + 1, 0);
    common::WriteLE<int32_t>(stored, 20, dataLen - 32);
    stored[40] = 3;
    ASSERT_EQ(params::StampBlockCrc(stored, state.params.ProtoInfo[0]), 0);
    const QByteArray block(reinterpret_cast<const char*>(stored.data()), dataLen);
    folder.write("settings.bin", block);
    StartDevsim({"--settings", folder.file("settings.bin")});
    ASSERT_FALSE(HasFatalFailure());
    OpenCom5(form, dialogs);
    ASSERT_FALSE(HasFatalFailure());

    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form.MenuImg[1], &release);  // picture entry 1: read the settings
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.SB->Panel(2).isEmpty(); }, kGenerousWaitMs));
    EXPECT_EQ(form.SB->Panel(2), "Successful reading data set");
    EXPECT_EQ(common::Bytes(state.params.SetData.begin(), state.params.SetData.begin() + dataLen),
              common::Bytes(stored.begin(), stored.begin() + dataLen));
    EXPECT_TRUE(form.MenuImg[4]->isEnabled());
    int shownValues = 0;
    for (int row = 1; row < form.MSFG[0]->Rows(); ++row)
        if (!form.MSFG[0]->TextMatrix(row, 3).isEmpty()) ++shownValues;
    EXPECT_GT(shownValues, 0);
    form.EndPro_Click();
}

}  // namespace
