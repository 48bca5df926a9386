#include "image/ImageFileCommands.h"
#include "image/ImageFileIO.h"

#include "ImageTestFiles.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using image::FileCommandResult;
using imagetest::BlankImage;

class ImageFileCommandsTest : public ::testing::Test {
protected:
    image::ImageFileCommands Commands()
    {
        return image::ImageFileCommands(state, info, params, dialogs, folder.path(),
                                        [this](const QString& m) { log << m; });
    }

    testsupport::TempFolder folder;
    testsupport::ScriptedDialogs dialogs;
    params::ParamState params = imagetest::SettingsOfLength(64);
    image::ImageState state;
    image::ImageInfoRecord info;
    QStringList log;
    const image::PrepareOptions options{false, "Order 5", QDate(2026, 12, 9)};
};

TEST_F(ImageFileCommandsTest, SaveWritesExactlyThePreparedImageOverALongerFile)
{
    state.ImageFile = folder.write("app.BIN", BlankImage(5000));
    const QString target = folder.write("out.BIN", QByteArray(9000, 'z'));
    dialogs.fileAnswers = {target};

    EXPECT_EQ(Commands().SavePro_Click(options), FileCommandResult::Written);

    const QByteArray saved = folder.read(target);
    ASSERT_EQ(saved.size(), 5000);
    EXPECT_EQ(saved.mid(1024, 50), QByteArray(reinterpret_cast<const char*>(info.ToBytes().data()), 50));
    EXPECT_EQ(saved.mid(1034, 7), "Order 5");
    EXPECT_EQ(dialogs.fileDialogFilters, QStringList{"文件(*.BIN)|*.BIN"});
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ImageFileCommandsTest, SaveWithNoPreparedImageLogsDataErrorAndAsksNothing)
{
    state.ImageFile = "";
    EXPECT_EQ(Commands().SavePro_Click(options), FileCommandResult::PrepareFailed);
    EXPECT_EQ(log, QStringList{"Data error!"});
    EXPECT_TRUE(dialogs.fileDialogFilters.isEmpty());
}

TEST_F(ImageFileCommandsTest, SaveCancelledWritesNothing)
{
    state.ImageFile = folder.write("app.BIN", BlankImage(2000));
    EXPECT_EQ(Commands().SavePro_Click(options), FileCommandResult::Cancelled);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"app.BIN"});
}

TEST_F(ImageFileCommandsTest, AFileThatCannotBeWrittenIsReported)
{
    state.ImageFile = folder.write("app.BIN", BlankImage(2000));
    dialogs.fileAnswers = {folder.file("no-such-folder/out.BIN")};

    EXPECT_EQ(Commands().SavePro_Click(options), FileCommandResult::WriteFailed);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "File write error!");
    EXPECT_EQ(dialogs.messages[0].title, "Hint");
}

TEST_F(ImageFileCommandsTest, AFullDiskIsReported)
{
    const QFileInfo full("/dev/full");
    if (!full.exists() || full.isFile()) GTEST_SKIP() << "no /dev/full device";
    EXPECT_FALSE(image::WriteWholeFile("/dev/full", common::Bytes(100000, 1)));
    EXPECT_FALSE(QFileInfo("/dev/full").isFile()) << "a device is written in place, never replaced";
}

TEST_F(ImageFileCommandsTest, MergeTakesTheFirst8192BytesZeroFilledThenTheWholeSecondFile)
{
    const QByteArray head = BlankImage(3000);
    const QByteArray tail = QByteArray(10000, 'T');
    const QString target = folder.file("merged.BIN");
    dialogs.fileAnswers = {folder.write("a.BIN", head), folder.write("b.BIN", tail), target};
    state.ImageFile = "kept";

    EXPECT_EQ(Commands().MCompFile_Click(), FileCommandResult::Written);

    const QByteArray merged = folder.read(target);
    ASSERT_EQ(merged.size(), 18192);
    EXPECT_EQ(merged.left(3000), head);
    EXPECT_EQ(merged.mid(3000, 5192), QByteArray(5192, '\0'));
    EXPECT_EQ(merged.mid(8192), tail);
    EXPECT_EQ(state.ImageFile, "kept");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ImageFileCommandsTest, MergeCutsALongFirstFileAndTakesAnEmptySecondOne)
{
    const QByteArray head = BlankImage(9000);
    const QString target = folder.write("merged.BIN", QByteArray(20000, 'o'));
    dialogs.fileAnswers = {folder.write("a.BIN", head), folder.write("b.BIN", {}), target};

    EXPECT_EQ(Commands().MCompFile_Click(), FileCommandResult::Written);
    EXPECT_EQ(folder.read(target), head.left(8192));
}

TEST_F(ImageFileCommandsTest, MergeWritesNothingWhenAChoiceIsMissing)
{
    const QString a = folder.write("a.BIN", BlankImage(100));
    const QString b = folder.write("b.BIN", BlankImage(100));
    const std::deque<QString> scripts[] = {
        {},                                    // first dialog cancelled
        {a},                                   // second dialog cancelled
        {a, b, "x.BIN"},                       // target of 5 characters
        {folder.file("gone.BIN"), b, folder.file("m1.BIN")},  // first file missing
        {a, folder.file("gone.BIN"), folder.file("m2.BIN")},  // second file missing
    };
    for (const auto& script : scripts) {
        dialogs.fileAnswers = script;
        EXPECT_NE(Commands().MCompFile_Click(), FileCommandResult::Written);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{"a.BIN", "b.BIN"}));
}

}  // namespace
