// The slowest rate the baud box offers, on the window's own timer, against the stand-in
// controller pacing its line at 1200 baud: a handshake reply and a write request take
// longer on the wire than the tick limits of the faster rates allow.
#include "SettingsWindowFixture.h"

namespace {

constexpr uint32_t kImageFlash = 0x08002000;
constexpr int kWholeRunWaitMs = 180000;  // an upper bound only; 3000 bytes take some 35 s

class ProgrammingAt1200 : public e2e::SettingsWindowFixture {
protected:
    void StartAt1200WithFrameLength(const QString& frameLength)
    {
        BuildWindow(QStringList{"--line", "1200,n,8,1"} + WithTablesAndStoredSettings());
        ASSERT_FALSE(HasFatalFailure());
        form->ComboSet[1]->setCurrentText("1200");
        form->ComboSet[5]->setCurrentText(frameLength);
        OpenCom7();
    }

    void ClickAndWaitFor(int entry, const QString& result)
    {
        form->SB->SetPanel(2, QString());
        ClickPictureEntry(entry);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ResultPanel().isEmpty(); }, kGenerousWaitMs * 2));
        EXPECT_EQ(ResultPanel(), result);
    }
};

TEST_F(ProgrammingAt1200, ReadsUpdatesAndSavesTheSettingsAndBurnsAnImageInFramesOf128)
{
    StartAt1200WithFrameLength("128");
    ASSERT_FALSE(HasFatalFailure());
    ClickAndWaitFor(1, "Successful reading data set");
    ASSERT_FALSE(HasFatalFailure());
    state.params.SetData[40] ^= 0x01;  // an edited value
    ClickAndWaitFor(2, "Update the set data successfully");
    ClickAndWaitFor(3, "Save Settings data successfully");
    const QByteArray saved(reinterpret_cast<const char*>(state.params.SetData.data()), storedSettings.size());
    ASSERT_NE(saved, storedSettings);
    state.params.SetData.assign(state.params.SetData.size(), 0);
    ClickAndWaitFor(1, "Successful reading data set");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.params.SetData.data()), storedSettings.size()), saved);

    LoadAndProgram(WriteImage("slow.BIN", 3000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged(BurntText(1)); }, kWholeRunWaitMs)) << Log().toStdString();
    EXPECT_EQ(devsim.Flash(kImageFlash, 3000), PreparedImage());
    const QStringList requests = devsim.RecordedRequests();
    EXPECT_EQ(Requests("07", requests).size(), 24) << "no chunk sent twice";
    EXPECT_EQ(Requests("F1", requests).size(), 1);
}

}  // namespace
