#include "common/Codepage.h"
#include "common/LittleEndian.h"
#include "common/QtDialogs.h"

#include <gtest/gtest.h>

using namespace common;

TEST(CodePage, RoundTripsChineseThroughGbk)
{
    const QString text = QStringLiteral("设置参数 Link！");
    const QByteArray gbk = ToCodePage(text);
    EXPECT_EQ(gbk.left(2), QByteArray("\xc9\xe8", 2));  // 设
    EXPECT_EQ(FromCodePage(gbk), text);
}

TEST(CodePage, ReplacesWhatCannotBeConverted)
{
    EXPECT_EQ(ToCodePage(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
    EXPECT_EQ(FromCodePage(QByteArray("a\xff", 2)), QStringLiteral("a?"));
}

TEST(CodePage, FixedTextPadsAndNeverSplitsACharacter)
{
    EXPECT_EQ(FixedText("ab", 5), QByteArray("ab   "));
    EXPECT_EQ(FixedText("abcdef", 3), QByteArray("abc"));
    // Two-byte characters: the third would need bytes 5 and 6 of a 5-byte field.
    const QByteArray f = FixedText(QStringLiteral("设置参"), 5);
    EXPECT_EQ(f.size(), 5);
    EXPECT_EQ(f.right(1), QByteArray(" "));
}

TEST(LittleEndianFields, ReadAndWriteOnlyInsideTheBuffer)
{
    Bytes b{0x34, 0x12, 0xff, 0xff, 0xff, 0x7f};
    EXPECT_EQ(ReadLE<int16_t>(b, 0), 0x1234);
    EXPECT_EQ(ReadLE<int32_t>(b, 2), 0x7fffffff);
    EXPECT_FALSE(ReadLE<int32_t>(b, 3).has_value());
    EXPECT_FALSE(ReadLE<int16_t>(b, -1).has_value());
    EXPECT_TRUE(WriteLE<int16_t>(b, 4, -2));
    EXPECT_EQ(b[4], 0xfe);
    EXPECT_EQ(b[5], 0xff);
    EXPECT_FALSE(WriteLE<int32_t>(b, 4, 1));
    EXPECT_EQ(b[4], 0xfe);
    Bytes frame;
    AppendLE<uint32_t>(frame, 0x20000110);
    EXPECT_EQ(frame, (Bytes{0x10, 0x01, 0x00, 0x20}));
}

TEST(QtDialogsFilter, TurnsBarFiltersIntoQtFilters)
{
    EXPECT_EQ(QtDialogs::ToQtFilter("File(*.BIN)|*.BIN"), "File(*.BIN) (*.BIN *.bin)");
    EXPECT_EQ(QtDialogs::ToQtFilter(QStringLiteral("文件(*.QVR)|*.QVR")),
              QStringLiteral("文件(*.QVR) (*.QVR *.qvr)"));
}
