// After a failed exchange the next request waits until the line has been quiet for the
// failed command's reply window, counted from the last byte received or the end of the
// failed exchange: not from the click, and not again for every new click.
#include "SettingsWindowFixture.h"

namespace {

class QuietWait : public e2e::SettingsWindowFixture {
protected:
    // The settings read, then a save answered with a spoilt CRC.
    void ReadThenFailASave()
    {
        StartWindow(WithTablesAndStoredSettings() + QStringList{"--bad-crc-at", "F5:1"});
        ASSERT_FALSE(HasFatalFailure());
        ClickAndWaitFor(1, "Successful reading data set");
        ClickPictureEntry(3);
        ASSERT_TRUE(TickUntil([&] { return ResultPanel() == "Communication fails"; }, 500));
        window = form->Link().QuietNeeded();
        ASSERT_GT(window, 100);
    }

    // Clicks a picture-menu entry and ticks until its result shows; the ticks it took.
    int ClickAndWaitFor(int entry, const QString& result)
    {
        form->SB->SetPanel(2, QString());
        ClickPictureEntry(entry);
        int ticks = 0;
        while (ResultPanel().isEmpty() && ticks < 2000) {
            Tick();
            ++ticks;
        }
        EXPECT_EQ(ResultPanel(), result);
        return ticks;
    }

    // Ticks until a request of `command` is on the line; the ticks it took.
    int TicksUntilSent(uint8_t command)
    {
        int ticks = 0;
        const auto sent = [&] {
            const devlink::LinkExchange& link = form->Link();
            return link.TxBuf.size() > 1 && link.TxBuf[1] == command &&
                   (link.LinkPhase == devlink::PhaseWritten || link.LinkPhase == devlink::PhaseReceiving);
        };
        while (!sent() && ticks < 2000) {
            Tick();
            ++ticks;
        }
        return ticks;
    }

    void TickTimes(int n)
    {
        for (int i = 0; i < n; ++i) Tick();
    }

    int window = 0;
};

// A read clicked partway through the window goes out when the window since the failure
// has passed, not a whole window after its click.
TEST_F(QuietWait, ARequestClickedDuringTheWindowGoesOutWhenTheLineHasBeenQuietForIt)
{
    ReadThenFailASave();
    ASSERT_FALSE(HasFatalFailure());
    const int clickedAt = window - 60;
    TickTimes(clickedAt);
    ClickPictureEntry(1);
    const int ticks = TicksUntilSent(0xF4);
    EXPECT_GE(ticks, 55);
    EXPECT_LE(ticks, 62);
}

// Clicks 1.2, 3.9, 6.7 and 9.4 s after the failure (at 16 ms a tick): read, update, save
// and read. Each shows its own result; only the first waits for the quiet line, and no
// click starts the quiet count again.
TEST_F(QuietWait, AChainOfClicksAfterAFailureEachShowsItsResult)
{
    ReadThenFailASave();
    ASSERT_FALSE(HasFatalFailure());
    struct Click {
        int atTick;
        int entry;
        const char* result;
    };
    const Click clicks[] = {{75, 1, "Successful reading data set"},
                            {244, 2, "Update the set data successfully"},
                            {419, 3, "Save Settings data successfully"},
                            {588, 1, "Successful reading data set"}};
    int now = 0;
    for (const Click& click : clicks) {
        SCOPED_TRACE(click.atTick);
        ASSERT_LE(now, click.atTick);
        TickTimes(click.atTick - now);
        const int ticks = ClickAndWaitFor(click.entry, click.result);
        now = click.atTick + ticks;
        if (click.atTick > window) EXPECT_LE(ticks, 6) << "the line was quiet: it goes out at once";
        else EXPECT_LE(click.atTick + ticks, window + 6) << "it went out once the window had passed";
    }
    const qsizetype polls = Requests("F0", devsim.RecordedRequests()).size();
    TickTimes(20);
    EXPECT_GT(Requests("F0", devsim.RecordedRequests()).size(), polls) << "polling resumes";
}

}  // namespace
