// The README's try-out: devsim started with the README's options, the real window on its
// own timer with the shipped files beside it, over a pseudo-terminal. The board's settings
// are read, edited, sent and saved through the picture menu, and the sample image burns.
#include "GridEditing.h"
#include "SettingsWindowFixture.h"

#include "params/FlexGrid.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// Rows of the shipped setting table.
constexpr int kModeRow = 1;       // 工作模式
constexpr int kFrequencyRow = 3;  // 输出频率, 1 to 5000 Hz
constexpr int kVoltageRow = 6;    // 输出电压

class TryOut : public e2e::SettingsWindowFixture {
protected:
    // The options the README starts devsim with, its paths under build/bin/ taken from the
    // program folder; the link and --once are the fixture's matter.
    QStringList ReadmeDevsimOptions() const
    {
        QFile readme(QStringLiteral(TOLVEXAN_SOURCE_DIR "/README.md"));
        EXPECT_TRUE(readme.open(QIODevice::ReadOnly | QIODevice::Text));
        static const QRegularExpression start(QStringLiteral("^build/bin/devsim (.*) &$"),
                                              QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = start.match(QString::fromUtf8(readme.readAll()));
        if (!match.hasMatch()) {
            ADD_FAILURE() << "the README starts no devsim";
            return {};
        }
        QStringList options = match.captured(1).split(' ', Qt::SkipEmptyParts);
        if (const qsizetype link = options.indexOf("--link"); link >= 0) options.remove(link, 2);
        options.removeAll("--once");
        options.replaceInStrings(QRegularExpression(QStringLiteral("^build/bin/")), folder.path() + '/');
        return options;
    }

    // What the build places in the program folder from data/.
    void PlaceShippedFiles()
    {
        const QDir data(QStringLiteral(TOLVEXAN_SOURCE_DIR "/data"));
        for (const QString& name : data.entryList(QDir::Files)) {
            ASSERT_TRUE(QFile::copy(data.filePath(name), folder.file(name))) << name.toStdString();
            QFile(folder.file(name)).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
    }

    // A picture-menu entry, then its result in panel 2.
    bool Request(int entry, const QString& result)
    {
        form->SB->SetPanel(2, QString());
        ClickPictureEntry(entry);
        return QTest::qWaitFor([&] { return ResultPanel() == result; }, kGenerousWaitMs);
    }

    void ReadSettings()
    {
        ASSERT_TRUE(Request(1, "Successful reading data set")) << ResultPanel().toStdString();
    }

    QString Value(int row) const { return form->MSFG[0]->TextMatrix(row, 3); }
};

TEST_F(TryOut, TheBoardsSettingsAreReadEditedSentAndSavedAndTheSampleImageBurns)
{
    PlaceShippedFiles();
    ASSERT_FALSE(HasFatalFailure());
    BuildWindow(ReadmeDevsimOptions());
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(dialogs.MessageTexts(), QStringList{});  // the tables and the example project load
    OpenCom7();
    ASSERT_FALSE(HasFatalFailure());

    ReadSettings();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Value(kModeRow), "方波");
    EXPECT_EQ(Value(kFrequencyRow), "1000");
    EXPECT_EQ(Value(kVoltageRow), "12.00");

    e2e::EditValue(*form, kFrequencyRow, "2000");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(Request(2, "Update the set data successfully")) << ResultPanel().toStdString();
    EXPECT_TRUE(Request(3, "Save Settings data successfully")) << ResultPanel().toStdString();
    ReadSettings();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Value(kFrequencyRow), "2000");

    // Burning the sample image writes its own settings pages over the saved settings.
    LoadAndProgram(folder.file("Sample.BIN"));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged(BurntText(1)); }, kGenerousWaitMs)) << Log().toStdString();
    ReadSettings();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Value(kFrequencyRow), "1000");
    EXPECT_EQ(Value(kModeRow), "方波");
}

}  // namespace
