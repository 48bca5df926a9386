#include "common/Codepage.h"
#include "common/LittleEndian.h"
#include "common/QtDialogs.h"

#include <gtest/gtest.h>
#include <iconv.h>

using namespace common;

namespace {

// The whole text through one conversion, an invalid or cut-off sequence becoming "?"
// and reading going on at its next byte: what reading code page 936 means.
QString WholeTextThroughIconv(const QByteArray& bytes)
{
    iconv_t cd = iconv_open("UTF-8", "GBK");
    QByteArray utf8;
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char buffer[64];
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        utf8.append(buffer, static_cast<qsizetype>(sizeof buffer - outLeft));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            utf8.append('?');
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return QString::fromUtf8(utf8);
}

}  // namespace

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

TEST(CodePage, ReadsAsciiStretchesAndTwoByteCharactersAlike)
{
    struct Case {
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"\x81\x41" "A", QStringLiteral("丄A")},  // the second byte of a character in the ASCII range
        {"\xd6\xd0><1\\/x", QStringLiteral("中><1\\/x")},
        {"a\x81<b", QStringLiteral("a?<b")},
        {"x\x81", QStringLiteral("x?")},
        {"\x80", QStringLiteral("€")},
    };
    for (const Case& c : cases) EXPECT_EQ(FromCodePage(c.bytes), c.text) << c.bytes.toHex().toStdString();

    // Every text of four bytes drawn from ASCII, lead, second and invalid bytes reads as
    // the whole text read in one go.
    const char alphabet[] = {' ', '>', '@', 'A', '\x7f', '\x80', '\x81', '\xa1', '\xd0', '\xd6', '\xfe', '\xff'};
    for (char a : alphabet)
        for (char b : alphabet)
            for (char c : alphabet)
                for (char d : alphabet) {
                    const char four[] = {a, b, c, d};
                    const QByteArray bytes(four, 4);
                    ASSERT_EQ(FromCodePage(bytes), WholeTextThroughIconv(bytes)) << bytes.toHex().toStdString();
                }
}

TEST(CodePage, FixedTextPadsAndNeverSplitsACharacter)
{
    EXPECT_EQ(FixedText("ab", 5), QByteArray("ab   "));
    EXPECT_EQ(FixedText("abcdef", 3), QByteArray("abc"));
    // Two-byte characters: the third would need bytes 5 and 6 of a 5-byte field.
    const QByteArray f = FixedText(QStringLiteral("设置参"), 5);
    EXPECT_EQ(f.size(), 5);
    EXPECT_EQ(f.right(1), QByteArray(" "));
    // What code page 936 cannot hold is left out, not turned into a "?".
    EXPECT_EQ(FixedText(QStringLiteral("a\U0001F600b\u20A9?"), 6), QByteArray("ab?   "));
}

TEST(CodePage, ReadsExactlyOnlyWholeCharacters)
{
    EXPECT_EQ(FromCodePageExactly(ToCodePage(QStringLiteral("订单 A-1?"))), QStringLiteral("订单 A-1?"));
    EXPECT_EQ(FromCodePageExactly(QByteArray()), QString());
    for (const QByteArray bytes : {QByteArray("a\xff", 2), QByteArray("x\x81"), QByteArray("a\x81<b")})
        EXPECT_FALSE(FromCodePageExactly(bytes).has_value()) << bytes.toHex().toStdString();
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
