// Start-up with and without its tables and default project, the daily record at close,
// Exit, and the pinned window size.
#include "main/WindowFixture.h"

#include "main/DailyRecord.h"
#include "main/LogBox.h"
#include "main/PinnedSize.h"
#include "main/ShapeControl.h"
#include "main/StatusBar.h"

#include "link/LinkExchange.h"
#include "params/FlexGrid.h"
#include "project/ProjectRecord.h"
#include "project/TreeView.h"

#include <QDir>
#include <QScreen>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace testmain {
namespace {

using common::MsgIcon;

class WindowStartupTest : public WindowFixture {
protected:
    QStringList NodePanelTexts() const
    {
        QStringList texts;
        for (QWidget* box : form->NotesTxt) {
            if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) texts << lines->toPlainText();
            if (auto* line = qobject_cast<QLineEdit*>(box)) texts << line->text();
        }
        return texts;
    }

    bool SettingGridInFront() const
    {
        const auto siblings = form->MSFG[0]->parentWidget()->children();
        return siblings.indexOf(form->MSFG[0]) > siblings.indexOf(form->MSFG[1]);
    }
};

TEST_F(WindowStartupTest, GoodTablesSizeBothBuffersAndTheWindowComesUpClosed)
{
    WriteProtocolTable(programFolder, "Config.For", 100);
    WriteProtocolTable(programFolder, "Display.For", 40);
    state.params.SetData.assign(61, 7);
    auto& form = Load(false);

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(state.params.ProtoInfo[0].DataLen, 100);
    EXPECT_EQ(state.params.SetData, common::Bytes(101, 0));
    EXPECT_EQ(state.params.DispData, common::Bytes(41, 0));
    EXPECT_EQ(form.MSFG[0]->TextMatrix(0, 3), "Value");
    EXPECT_TRUE(SettingGridInFront());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Link().LinkError, devlink::LinkPortClosed);
    EXPECT_EQ(form.Shape1->FillColor(), QColor(250, 0, 0));
    EXPECT_EQ(NodePanelTexts(), QStringList(7, QString()));
    EXPECT_FALSE(state.project.ProjectOpen);
    EXPECT_EQ(form.TreeView->Count(), 0);

    form.MBTim_Timer();  // the first tick reports the closed port
    EXPECT_EQ(form.SB->Panel(1), "Open port first！");
}

TEST_F(WindowStartupTest, TheShippedTablesLoad)
{
    for (const char* name : {"Config.For", "Display.For"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVEXAN_SOURCE_DIR "/data/") + name, programFolder.file(name)));
    Load(false);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.MessageTexts().join("; ").toStdString();
    EXPECT_EQ(state.params.SetData.size(), size_t(state.params.ProtoInfo[0].DataLen) + 1);
    EXPECT_EQ(state.params.DispData.size(), size_t(state.params.ProtoInfo[1].DataLen) + 1);
    EXPECT_GT(state.params.ProtoInfo[0].RowCount, 1);
}

TEST_F(WindowStartupTest, ATableThatDoesNotLoadIsReportedAndKeepsItsBufferSize)
{
    struct Case {
        bool config, display;
        int messages;
        size_t setSize, dispSize;
    } cases[] = {{false, true, 1, 61, 73}, {true, false, 1, 65, 73}, {false, false, 2, 61, 73}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.config << c.display);
        QFile::remove(programFolder.file("Config.For"));
        QFile::remove(programFolder.file("Display.For"));
        if (c.config) WriteProtocolTable(programFolder, "Config.For", 64);
        if (c.display) WriteProtocolTable(programFolder, "Display.For", 72);
        dialogs.messages.clear();
        state = mainwin::AppState();
        Load(false);
        ASSERT_EQ(int(dialogs.messages.size()), c.messages);
        for (const auto& message : dialogs.messages) {
            EXPECT_EQ(message.text, "Error loading parse the file");
            EXPECT_EQ(message.title, "Hint！");
            EXPECT_EQ(message.icon, MsgIcon::Exclamation);
            EXPECT_EQ(message.buttons, common::MsgButtons::Ok);
        }
        EXPECT_EQ(state.params.SetData.size(), c.setSize);
        EXPECT_EQ(state.params.DispData.size(), c.dispSize);
        EXPECT_TRUE(form->isVisible());
        TearDown();
    }
}

TEST_F(WindowStartupTest, ALockedDefaultProjectIsRefusedAndStartUpGoesOn)
{
    project::ProjectRecord header = project::NewHeader("2026/12/1 9:00:00");
    header.SetInteger(project::at::LockFlag, 1);
    programFolder.write("Config.QVR", QByteArray(reinterpret_cast<const char*>(header.bytes.data()),
                                                 project::kRecordSize));
    auto& form = Load();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Login user name or password error!");
    EXPECT_EQ(dialogs.messages[0].title, "Hint");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(state.project.ProjectOpen);
    EXPECT_EQ(form.TreeView->Count(), 0);
    EXPECT_FALSE(QFile::exists(programFolder.file("Config.QVR.Copy.QVR")));
    EXPECT_EQ(NodePanelTexts(), QStringList(7, QString()));
    EXPECT_TRUE(form.isVisible());
}

class WindowShutdownTest : public WindowFixture {
protected:
    QString TodaysRecord() const { return RecordFolder() + "/2026.12.9(M0).Txt"; }
    static QByteArray Separator(const char* when) { return QByteArray(when) + QByteArray(94, '=') + "\r\n"; }
};

TEST_F(WindowShutdownTest, RecordFileNameHasNoLeadingZeros)
{
    EXPECT_EQ(mainwin::DailyRecordFileName(QDate(2016, 7, 9)), "2016.7.9(M0).Txt");
    EXPECT_EQ(mainwin::DailyRecordFileName(QDate(2026, 12, 19)), "2026.12.19(M0).Txt");
}

TEST_F(WindowShutdownTest, ClosingAppendsTheRunToTheDaysRecordInCodePage936)
{
    ASSERT_FALSE(QDir(RecordFolder()).exists());
    auto& form = Load();
    form.AppendLog(" 串口");
    now = kFixedNow.addSecs(60);
    form.close();
    form.endProgram = [] {};
    form.EndPro_Click();

    const QByteArray expected = Separator("2026/12/9 8:06:03")
                                + "2026/12/9 8:05:03 \xb4\xae\xbf\xda\r\n"
                                  "\r\n";
    EXPECT_EQ(homeFolder.read(TodaysRecord()), expected);

    // A second run the same day with an empty log appends its own entry.
    this->form.reset();
    Load();
    this->form->close();
    EXPECT_EQ(homeFolder.read(TodaysRecord()), expected + Separator("2026/12/9 8:06:03") + "\r\n");

    // A run closed after midnight goes to the new day's file.
    this->form.reset();
    Load();
    now = QDateTime(QDate(2026, 12, 10), QTime(0, 0, 1));
    this->form->close();
    EXPECT_EQ(homeFolder.read(RecordFolder() + "/2026.12.10(M0).Txt"), Separator("2026/12/10 0:00:01") + "\r\n");
}

TEST_F(WindowShutdownTest, ExitEndsAtOnceWithoutARecord)
{
    auto& form = Load();
    form.AppendLog(" Cancel program");
    form.EndPro->trigger();
    EXPECT_EQ(endProgramCalls, 1);
    form.close();
    EXPECT_FALSE(QDir(RecordFolder()).exists());
}

TEST_F(WindowShutdownTest, ARecordThatCannotBeWrittenIsReportedAndTheWindowStillCloses)
{
    homeFolder.write("ProRecord(M0)", "a file where the folder should be");
    auto& form = Load();
    ASSERT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(form.close());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("The programming record was not saved!"));
    EXPECT_EQ(dialogs.messages[0].title, "Hint");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(WindowShutdownTest, TheNormalWindowIsPinnedAndMaximizingShowsTheWholeLayout)
{
    auto& form = Load();
    const QSize pinned(qRound(13750 / 15.0), qRound(3780 / 15.0));
    EXPECT_EQ(form.frameGeometry().size(), pinned);
    const QPoint place = form.pos();
    form.resize(1200, 700);
    EXPECT_EQ(form.frameGeometry().size(), pinned);
    EXPECT_EQ(form.pos(), place);

    // Maximizing is allowed: the window takes the screen, and the layout lies in it whole.
    form.showMaximized();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.frameGeometry().size(), form.screen()->availableGeometry().size());

    form.showMinimized();
    form.showNormal();
    EXPECT_EQ(form.frameGeometry().size(), pinned);
}

TEST(PinnedSizeTest, TheNormalWindowsClientIsTheOuterSizeLessTheFrame)
{
    struct Case {
        Qt::WindowStates state;
        QMargins frame;
        std::optional<QSize> client;
    } cases[] = {
        {Qt::WindowNoState, {}, QSize(917, 252)},
        {Qt::WindowNoState, {1, 20, 1, 5}, QSize(915, 227)},
        {Qt::WindowActive, {4, 30, 4, 4}, QSize(909, 218)},
        {Qt::WindowMaximized, {0, 19, 0, 0}, std::nullopt},
        {Qt::WindowMinimized, {1, 20, 1, 5}, std::nullopt},
        {Qt::WindowFullScreen, {}, std::nullopt},
    };
    EXPECT_EQ(mainwin::PinnedOuterSize(), QSize(917, 252));  // 13750 x 3780 twips
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.state) << " " << c.frame.top());
        EXPECT_EQ(mainwin::PinnedClientSize(c.state, c.frame), c.client);
    }
}

TEST_F(WindowShutdownTest, ThePinnedSizeIsTakenAgainOnceTheWindowManagersFrameIsKnown)
{
    QMargins frame;  // shown before the window manager has framed it
    Build();
    form->frameMargins = [&frame] { return frame; };
    form->Form_Load();
    EXPECT_EQ(form->size(), QSize(917, 252));

    // The window manager frames the window and moves it by its border and title bar.
    frame = QMargins(1, 20, 1, 5);
    form->move(form->pos() + QPoint(1, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(915, 227));

    // The maximized window's frame is another; leaving maximized takes the frame as it then is.
    frame = QMargins(0, 19, 0, 0);
    form->showMaximized();
    QCoreApplication::processEvents();
    frame = QMargins(4, 30, 4, 4);
    form->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(909, 218));
}

}  // namespace
}  // namespace testmain
