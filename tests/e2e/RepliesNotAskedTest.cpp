// Replies that are sound frames but not what was asked, through the real window against
// the stand-in controller: a reply of a length its command never has fails its exchange,
// and a read without its data changes nothing the window shows.
#include "SettingsWindowFixture.h"

#include "params/FlexGrid.h"

#include <QLineEdit>
#include <QTimer>
#include <csignal>

namespace {

class RepliesNotAsked : public e2e::SettingsWindowFixture {
protected:
    // The values column of the setting grid.
    QStringList SettingValues() const
    {
        QStringList values;
        for (int row = 1; row < form->MSFG[0]->Rows(); ++row) values << form->MSFG[0]->TextMatrix(row, 3);
        return values;
    }

    // Clicks the picture entry and ticks until the result panel shows `text`, which it
    // must not show before.
    void ClickAndAwait(int entry, const QString& text)
    {
        form->SB->SetPanel(2, QString());
        ClickPictureEntry(entry);
        EXPECT_TRUE(TickUntil([&] { return !ResultPanel().isEmpty(); }, 2000));
        EXPECT_EQ(ResultPanel().toStdString(), text.toStdString());
    }

    // Ticks until the engine is back to polling the link after the operation requested.
    bool TickUntilPollingAgain()
    {
        return TickUntil(
            [&] { return state.engine.CurMode == devlink::OpLinkCheck && state.engine.Requested() == devlink::OpLinkCheck; },
            2000);
    }
};

// Board A is read, then board B takes its place, and B's reply carries the echo, the status
// and the address but none of the block.
TEST_F(RepliesNotAsked, AReadFromABoardWhoseReplyCarriesNoDataKeepsTheFirstBoardsValuesAndSaysSo)
{
    StartWindow(WithTablesAndStoredSettings() + QStringList{"--reply-length", "F4:2=10"});
    ASSERT_FALSE(HasFatalFailure());
    ClickAndAwait(1, "Successful reading data set");
    const QStringList boardA = SettingValues();
    ASSERT_FALSE(boardA.filter(QRegularExpression(".")).isEmpty());

    ASSERT_TRUE(devsim.Signal(SIGUSR2, "swapped"));
    ClickAndAwait(1, "Read the data failure");
    EXPECT_EQ(SettingValues(), boardA);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.params.SetData.data()), storedSettings.size()),
              storedSettings);
    EXPECT_EQ(Requests("F4", devsim.RecordedRequests()).size(), 2);
}

TEST_F(RepliesNotAsked, AnEraseAnsweredByAFrameFarLongerThanItsReplyIsNotReportedDone)
{
    StartWindow({"--reply-length", "FE:2=600"});
    ASSERT_FALSE(HasFatalFailure());
    ClickAndAwait(0, "Erase the data successfully");
    ClickAndAwait(0, "Erase data failed!");
}

// The second image-information read is answered one byte longer than the record's reply.
TEST_F(RepliesNotAsked, AVersionInformationReadAnsweredByTheWrongLengthOpensNoWindow)
{
    StartWindow({"--reply-length", "F4:2=61"});
    ASSERT_FALSE(HasFatalFailure());
    int windowsOpened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++windowsOpened;
            modal->close();
        }
    });
    closer.start(5);
    auto* orderNumber = static_cast<QLineEdit*>(form->NotesTxt[5]);

    ClickPictureEntry(6);
    ASSERT_TRUE(TickUntil([&] { return windowsOpened == 1; }, 2000)) << "a sound reply opens the window";
    ASSERT_TRUE(TickUntilPollingAgain());
    orderNumber->setText("kept");

    ClickPictureEntry(6);
    ASSERT_TRUE(TickUntil([&] { return Requests("F4", devsim.RecordedRequests()).size() == 2; }, 2000));
    ASSERT_TRUE(TickUntilPollingAgain());
    EXPECT_EQ(windowsOpened, 1);
    EXPECT_EQ(orderNumber->text().toStdString(), "kept");
}

}  // namespace
