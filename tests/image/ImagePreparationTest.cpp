#include "image/ImagePreparation.h"

#include "ImageTestFiles.h"
#include "params/SettingsBlock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using image::ImageInfoRecord;
using image::ImageState;
using imagetest::BlankImage;
using imagetest::SettingsOfLength;

const QDate kToday(2026, 12, 9);

class ImagePreparationTest : public ::testing::Test {
protected:
    int Prepare(const QString& path, bool currSet = false, const QString& order = "A-17")
    {
        return image::StampImageInfo(path, {currSet, order, kToday}, params, state, info);
    }

    testsupport::TempFolder folder;
    params::ParamState params = SettingsOfLength(64);
    ImageState state;
    ImageInfoRecord info;
};

TEST_F(ImagePreparationTest, StampsTheRecordAtOffset1024AndLeavesEverythingElse)
{
    const QByteArray fileBytes = BlankImage(5000);
    const QString path = folder.write("app.BIN", fileBytes);

    ASSERT_EQ(Prepare(path), image::PrepOk);

    ASSERT_EQ(state.ImageLen, 5000);
    ASSERT_EQ(state.ImageData.size(), 5001u);
    EXPECT_EQ(state.ImageData[5000], 0);
    const QByteArray record(reinterpret_cast<const char*>(state.ImageData.data()) + 1024, 50);
    EXPECT_EQ(record, QByteArray("\xFF\xFF\xFF\xFF") + "26129 " + "A-17" + QByteArray(26, ' ') +
                          "K300Tavrin");
    for (int k = 0; k < 5000; ++k) {
        if (k >= 1024 && k < 1074) continue;
        ASSERT_EQ(state.ImageData[k], static_cast<uint8_t>(fileBytes[k])) << "byte " << k;
    }
    EXPECT_EQ(info.ToBytes(), common::Bytes(record.begin(), record.end()));
    EXPECT_EQ(folder.read(path), fileBytes) << "the file on disk is never changed";

    const common::Bytes first = state.ImageData;
    ASSERT_EQ(Prepare(path), image::PrepOk);
    EXPECT_EQ(state.ImageData, first) << "the same file prepares again to the same image";
}

TEST(DateUpdatedText, YearMinus2000MonthAndDayWithoutLeadingZeros)
{
    EXPECT_EQ(image::DateUpdatedText(QDate(2016, 7, 9)), "1679");
    EXPECT_EQ(image::DateUpdatedText(QDate(2026, 12, 9)), "26129");
    EXPECT_EQ(image::DateUpdatedText(QDate(2016, 1, 11)), "16111");
    EXPECT_EQ(image::DateUpdatedText(QDate(2016, 11, 1)), "16111");
    EXPECT_EQ(image::PreparedRecord({false, "", QDate(2009, 1, 5)}).DateUpdated, "915   ");
}

TEST(PreparedRecord, OrderNumberIsCutOrPaddedTo30)
{
    EXPECT_EQ(image::PreparedRecord({false, "", kToday}).OrderID, QByteArray(30, ' '));
    EXPECT_EQ(image::PreparedRecord({false, QString(40, 'x'), kToday}).OrderID, QByteArray(30, 'x'));
    EXPECT_EQ(image::PreparedRecord({false, "订单", kToday}).OrderID,
              QByteArray("\xB6\xA9\xB5\xA5") + QByteArray(26, ' '));
}

TEST_F(ImagePreparationTest, CurrSetPutsTheStampedBlockAt2048And3072)
{
    const QString path = folder.write("app.BIN", BlankImage(3072 + 64));

    ASSERT_EQ(Prepare(path, true), image::PrepOk);

    EXPECT_EQ(params::CheckBlockCrc(params.SetData, params.ProtoInfo[0]), 0)
        << "SetData's own header is stamped as a side effect";
    const common::Bytes block(params.SetData.begin(), params.SetData.begin() + 64);
    EXPECT_EQ(common::Bytes(state.ImageData.begin() + 2048, state.ImageData.begin() + 2112), block);
    EXPECT_EQ(common::Bytes(state.ImageData.begin() + 3072, state.ImageData.begin() + 3136), block);
}

TEST_F(ImagePreparationTest, WithoutCurrSetTheSettingAreaKeepsTheFileBytes)
{
    const QByteArray fileBytes = BlankImage(4096);
    const QString path = folder.write("app.BIN", fileBytes);

    ASSERT_EQ(Prepare(path, false), image::PrepOk);

    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.ImageData.data()) + 2048, 2048),
              fileBytes.mid(2048));
}

TEST_F(ImagePreparationTest, ARecordAreaThatIsNotBlankIsRefusedAfterReading)
{
    for (const QByteArray deviceId : {QByteArray("\xFF\x00", 2), QByteArray("\x00\xFF", 2),
                                      QByteArray("\x01\x00", 2)}) {
        QByteArray bytes = BlankImage(2000);
        bytes.replace(1024, 2, deviceId);
        const QString path = folder.write("used.BIN", bytes);
        info.OrderID = "kept";

        EXPECT_EQ(Prepare(path), image::PrepRecordNotBlank) << deviceId.toHex().constData();
        EXPECT_EQ(state.ImageLen, 2000);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.ImageData.data()), 2000), bytes)
            << "the unstamped file is held";
        EXPECT_EQ(info.OrderID, "kept") << "ImageInfo changes only on success";
    }
}

TEST_F(ImagePreparationTest, SettingBlockWithAWrongLengthFieldIsRefusedWithoutCopies)
{
    params = SettingsOfLength(64, false);
    const QByteArray fileBytes = BlankImage(4096);
    const QString path = folder.write("app.BIN", fileBytes);

    EXPECT_EQ(Prepare(path, true), image::PrepSettingsInvalid);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(state.ImageData.data()) + 2048, 2048),
              fileBytes.mid(2048));
}

TEST_F(ImagePreparationTest, EveryUnusableFileIsAFailureWithItsCode)
{
    const QString noRoomForCopies = folder.write("short.BIN", BlankImage(3072 + 63));
    struct Case {
        QString path;
        bool currSet;
        int expected;
    };
    const Case cases[] = {
        {"", false, image::PrepNoFile},
        {"a.BIN", false, image::PrepNoFile},
        {folder.file("missing.BIN"), false, image::PrepNoFile},
        {folder.path(), false, image::PrepNoFile},  // a folder, not a file
        {folder.write("tiny.BIN", BlankImage(1073)), false, image::PrepTooShort},
        {folder.write("empty.BIN", QByteArray()), false, image::PrepTooShort},
        {noRoomForCopies, true, image::PrepTooShort},
        {folder.write("huge.BIN", BlankImage(image::kMaxImageLen + 1)), false, image::PrepTooLarge},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Prepare(c.path, c.currSet), c.expected) << c.path.toStdString();
    }
    EXPECT_EQ(Prepare(noRoomForCopies, false), image::PrepOk) << "fits without the copies";
}

TEST_F(ImagePreparationTest, TheLargestImageThePageByteReachesIsAccepted)
{
    const QString path = folder.write("big.BIN", BlankImage(image::kMaxImageLen));
    EXPECT_EQ(Prepare(path), image::PrepOk);
    EXPECT_EQ(state.ImageLen, image::kMaxImageLen);
}

TEST_F(ImagePreparationTest, AnUnreadableFileIsNoFileAndLeavesTheImageAlone)
{
    const QString path = folder.write("locked.BIN", BlankImage(2000));
    QFile::setPermissions(path, QFileDevice::Permissions());
    if (QFile(path).open(QIODevice::ReadOnly)) GTEST_SKIP() << "permissions are not enforced here";
    state.ImageLen = 7;
    EXPECT_EQ(Prepare(path), image::PrepNoFile);
    EXPECT_EQ(state.ImageLen, 7);
}

}  // namespace
