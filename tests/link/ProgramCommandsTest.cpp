#include "link/ProgramCommands.h"

#include "ProgrammingTestRig.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using devlink::CmdHandshake;
using devlink::CmdLinkQuery;
using devlink::CmdWriteChunk;

QByteArray BlankImage(int length)
{
    QByteArray bytes(length, '\x5A');
    bytes.replace(1024, 50, QByteArray(50, '\xFF'));
    return bytes;
}

class ProgramCommandsTest : public ::testing::Test {
protected:
    ProgramCommandsTest()
    {
        environment.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(10, 0)); };
    }

    testsupport::TempFolder folder;
    testsupport::ScriptedDialogs dialogs;
    common::AppEnvironment environment;
    testlink::ProgrammingRig rig;
    devlink::ProgramCommands commands{rig.state, rig.programmer, rig.image, rig.params, rig.port,
                                      rig.view, dialogs, environment};
};

TEST_F(ProgramCommandsTest, LoadFileTakesTheChosenFileAndEndsWhateverRan)
{
    QDir(folder.path()).mkdir("node");
    rig.view.nodeProgramFile = folder.write("node/old.BIN", "x");
    const QString chosen = folder.write("app.BIN", BlankImage(3000));
    dialogs.fileAnswers = {chosen};
    rig.state.Request(devlink::OpReadDisplay);
    rig.state.ProgRun = 1;
    rig.view.command4Caption = "Stop";
    rig.programmer.ChipStarted = 1;

    commands.Command3_Click();

    EXPECT_EQ(dialogs.fileDialogFilters, QStringList{"File(*.BIN)|*.BIN"});
    EXPECT_EQ(dialogs.fileDialogFolders, QStringList{folder.file("node")});
    EXPECT_EQ(rig.image.ImageFile, chosen);
    EXPECT_EQ(rig.image.ImageLen, 3000);
    EXPECT_EQ(rig.view.log, (QStringList{" File path：" + chosen, " File size：3000(Byte)"}));
    EXPECT_EQ(rig.view.command4Enabled, true);
    EXPECT_EQ(rig.view.command3Enabled, false) << "the engine's next tick enables it";
    EXPECT_EQ(rig.view.command4Caption, "Program");
    EXPECT_EQ(rig.view.infLab, chosen);
    EXPECT_FALSE(rig.view.persLabVisible);
    EXPECT_EQ(rig.state.Requested(), devlink::OpLinkCheck);
    EXPECT_EQ(rig.state.ProgRun, 0);
    EXPECT_EQ(rig.programmer.ChipStarted, 1);
}

TEST_F(ProgramCommandsTest, LoadFileCancelledOrShortNameMeansNoImage)
{
    for (const QString answer : {QString(), QString("a.BIN")}) {
        rig.image.ImageFile = "/somewhere/app.BIN";
        rig.image.ImageLen = 10;
        dialogs.fileAnswers = {answer};
        commands.Command3_Click();
        EXPECT_EQ(rig.image.ImageFile, "");
        EXPECT_EQ(rig.image.ImageLen, 0);
        EXPECT_EQ(rig.view.command4Enabled, false);
        EXPECT_TRUE(rig.view.log.isEmpty());
    }
    EXPECT_EQ(dialogs.fileDialogFolders, (QStringList{"", ""})) << "no node file, no start folder";
}

TEST_F(ProgramCommandsTest, LoadFileOfAFileThatCannotBeOpenedChangesOnlyTheLength)
{
    rig.image.ImageFile = "/somewhere/app.BIN";
    rig.image.ImageLen = 10;
    rig.view.command4Caption = "Stop";
    rig.state.Request(devlink::OpProgram);
    dialogs.fileAnswers = {folder.file("gone.BIN")};

    commands.Command3_Click();

    EXPECT_EQ(rig.view.command3Enabled, true);
    EXPECT_EQ(rig.image.ImageLen, 0);
    EXPECT_EQ(rig.image.ImageFile, "/somewhere/app.BIN");
    EXPECT_EQ(rig.view.command4Caption, "Stop");
    EXPECT_EQ(rig.state.Requested(), devlink::OpProgram);
    EXPECT_TRUE(rig.view.log.isEmpty());
}

TEST_F(ProgramCommandsTest, ProgramPreparesTheImageAndArmsTheRun)
{
    rig.image.ImageFile = folder.write("app.BIN", BlankImage(2600));
    rig.view.orderNumber = "PO-1";
    rig.state.Request(devlink::OpReadDisplay);

    commands.Command4_Click();

    EXPECT_EQ(rig.view.settingGridShown, 1);
    EXPECT_EQ(rig.view.command4Caption, "Stop");
    EXPECT_EQ(rig.state.ProgRun, 1);
    EXPECT_EQ(rig.state.Requested(), devlink::OpProgram);
    EXPECT_EQ(rig.image.ImageLen, 2600);
    EXPECT_EQ(rig.state.ImageInfo.OrderID.left(4), "PO-1");
    EXPECT_EQ(rig.state.ImageInfo.DateUpdated, "26129 ");

    ASSERT_TRUE(rig.RunUntil([&] { return rig.RunEnded(); }));
    EXPECT_EQ(rig.Sent(CmdWriteChunk).front()[7], 0x5A) << "the prepared image is what is sent";
    EXPECT_EQ(rig.view.log.last(), " Has been successfully burning：1 (chip) " + rig.image.ImageFile);
}

TEST_F(ProgramCommandsTest, ProgramArmsNothingWhenItCannotStart)
{
    struct Case {
        const char* what;
        bool portOpen;
        QString frameLength;
        QByteArray file;
        QStringList log;
    };
    const Case cases[] = {
        {"port closed", false, "512", BlankImage(2600), {}},
        {"frame length", true, "100", BlankImage(2600), {" Frame length error"}},
        {"record not blank", true, "512", QByteArray(2600, '\0'), {" File open error "}},
        {"too short", true, "512", BlankImage(1024).left(1073), {" File open error "}},
    };
    for (const Case& c : cases) {
        rig.port.open = c.portOpen;
        rig.view.frameLength = c.frameLength;
        rig.view.log.clear();
        rig.view.barWidths.clear();
        rig.image.ImageFile = folder.write("app.BIN", c.file);
        rig.state.Request(devlink::OpReadSettings);

        commands.Command4_Click();

        EXPECT_EQ(rig.view.log, c.log) << c.what;
        EXPECT_EQ(rig.view.command4Caption, "Program") << c.what;
        EXPECT_EQ(rig.state.ProgRun, 0) << c.what;
        EXPECT_EQ(rig.state.Requested(), devlink::OpLinkCheck) << c.what;
        EXPECT_EQ(rig.view.barWidths, std::vector<double>{0}) << c.what;
    }
    EXPECT_EQ(rig.state.ImageInfo.DeviceID, 0) << "nothing was stamped";
}

TEST_F(ProgramCommandsTest, StopMidRunLetsThePendingExchangeEndAndSendsNothingMore)
{
    rig.image.ImageFile = folder.write("app.BIN", BlankImage(5000));
    commands.Command4_Click();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Sent(CmdWriteChunk).size() == 3; }));
    ASSERT_NE(rig.link.LinkPhase, 0) << "the third write is in flight";
    const size_t sentBefore = rig.port.written.size();

    commands.Command4_Click();

    EXPECT_EQ(rig.view.command4Caption, "Program");
    EXPECT_EQ(rig.state.ProgRun, 0);
    EXPECT_EQ(rig.state.Requested(), devlink::OpLinkCheck);
    EXPECT_EQ(rig.programmer.ChipStarted, 0);
    EXPECT_FALSE(rig.view.persLabVisible);
    EXPECT_EQ(rig.view.log.last(), " Cancel program");
    EXPECT_EQ(rig.port.written.size(), sentBefore) << "Stop itself sends nothing";

    rig.Ticks(100);
    ASSERT_GT(rig.port.written.size(), sentBefore);
    for (size_t i = sentBefore; i < rig.port.written.size(); ++i)
        EXPECT_EQ(rig.port.written[i][1], CmdLinkQuery);
}

TEST_F(ProgramCommandsTest, StopDuringTheHandshakeWaitReturnsTheButtonThere)
{
    rig.port.chip.reset();  // no controller: the handshake keeps waiting
    rig.image.ImageFile = folder.write("app.BIN", BlankImage(2000));
    commands.Command4_Click();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Sent(CmdHandshake).size() == 2; }));
    const int focusBefore = rig.view.command4Focus;

    commands.Command4_Click();
    rig.Ticks(1);

    EXPECT_EQ(rig.state.LinkState, devlink::StIdle);
    EXPECT_EQ(rig.view.command4Focus, focusBefore + 1);
    rig.Ticks(50);
    EXPECT_EQ(rig.Sent(CmdHandshake).size(), 2u);
}

}  // namespace
