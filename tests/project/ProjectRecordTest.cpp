#include "ProjectFixture.h"

#include "common/Codepage.h"
#include "project/RecordFile.h"

#include <gtest/gtest.h>

using namespace project;
using projecttest::ReadRecord;
using projecttest::WriteRecord;

namespace {

QByteArray FieldBytes(const ProjectRecord& rec, int offset, int size)
{
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data() + offset), size);
}

TEST(ProjectRecord, NumericFieldsSitAtTheirOffsetsLittleEndian)
{
    ProjectRecord rec;
    rec.SetInteger(at::InUse, 1);
    rec.SetLong(at::ParentRec, -1);
    rec.SetLong(at::NextRec, 0x01020304);
    rec.SetInteger(at::Expanded, -1);
    rec.SetInteger(at::Reserved3, 0x0605);
    EXPECT_EQ(FieldBytes(rec, 0, 2), QByteArray("\x01\x00", 2));
    EXPECT_EQ(FieldBytes(rec, 2, 4), QByteArray("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(FieldBytes(rec, 10, 4), QByteArray("\x04\x03\x02\x01", 4));
    EXPECT_EQ(FieldBytes(rec, 106, 2), QByteArray("\xFF\xFF", 2));
    EXPECT_EQ(FieldBytes(rec, 2788, 2), QByteArray("\x05\x06", 2));
}

TEST(ProjectRecord, NewHeaderHoldsTheTagsTimesAndEmptyTree)
{
    const ProjectRecord h = NewHeader(QStringLiteral("2026/3/7 9:05:04"));
    EXPECT_EQ(h.InUse(), 1);
    EXPECT_EQ(h.FirstNode(), -1);
    EXPECT_EQ(h.SelfRec(), 1);
    EXPECT_EQ(FieldBytes(h, 22, 20), common::ToCodePage(QStringLiteral("作者：Taloma")) + QByteArray(8, ' '));
    EXPECT_EQ(FieldBytes(h, 42, 20), QByteArray("DADAD-V1.0          "));
    EXPECT_EQ(h.LockFlag(), 0);
    EXPECT_EQ(FieldBytes(h, 1138, 17), QByteArray("2026/3/7 9:05:04\0", 17));
    EXPECT_EQ(FieldBytes(h, 2164, 17), QByteArray("2026/3/7 9:05:04\0", 17));
    EXPECT_EQ(h.bytes[2774], 0);
}

TEST(NodeKeys, KeyFormAndRecordNumber)
{
    EXPECT_EQ(NodeKey(5), QStringLiteral(" 5key") + QString(15, QLatin1Char(' ')));
    EXPECT_EQ(NodeKey(12), QStringLiteral(" 12key") + QString(14, QLatin1Char(' ')));
    EXPECT_EQ(NodeKey(123), QStringLiteral(" 123key") + QString(13, QLatin1Char(' ')));
    struct Case { QString key; int32_t expected; };
    const Case cases[] = {
        {NodeKey(12), 12}, {QStringLiteral(" 12KEY   "), 12}, {QStringLiteral("1 2 kEy"), 12},
        {QStringLiteral(" 12   "), 0}, {QStringLiteral("key"), 0}, {QString(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyToRecordNo(c.key), c.expected) << c.key.toStdString();
}

TEST(NodeKeys, StripBlanksAndNulsRemovesBothEverywhere)
{
    EXPECT_EQ(StripBlanksAndNuls(QStringLiteral(" 作者：Tal") + QChar(0) + QStringLiteral("oma  ")),
              QStringLiteral("作者：Taloma"));
}

TEST(TextCodec, PlainEncodingCutsAndTerminates)
{
    uint8_t field[42];
    std::fill(std::begin(field), std::end(field), uint8_t{0xAA});
    EncodeText(QString(), QString(), field, 40);
    EXPECT_EQ(field[0], 0);
    EXPECT_EQ(field[1], 0xAA);  // bytes behind the terminator are left alone
    EXPECT_EQ(DecodeText(field, QString(), 40), QString());

    const QString long45 = QString(45, QLatin1Char('x'));
    EncodeText(long45, QString(), field, 40);
    EXPECT_EQ(field[39], 'x');
    EXPECT_EQ(field[40], 0);
    EXPECT_EQ(DecodeText(field, QString(), 40), QString(40, QLatin1Char('x')));
}

TEST(TextCodec, DecodingStopsAtFirstZeroOrCount)
{
    const uint8_t ab[] = {'A', 'B', 0, 'C', 'D', 0};
    EXPECT_EQ(DecodeText(ab, QString(), 4), QStringLiteral("AB"));
    const uint8_t full[] = {'1', '2', '3', '4', '5', '6'};
    EXPECT_EQ(DecodeText(full, QString(), 4), QStringLiteral("1234"));
}

TEST(TextCodec, ChineseTextIsStoredInCodePage936)
{
    ProjectRecord rec;
    rec.SetText(Title, kNewNodeTitle);
    EXPECT_EQ(FieldBytes(rec, 62, 13), common::ToCodePage(kNewNodeTitle) + QByteArray(1, '\0'));
    EXPECT_EQ(rec.Text(Title), kNewNodeTitle);
}

TEST(TextCodec, KeyedFormRoundTripsAndNeverStoresZero)
{
    const QString text = QStringLiteral("程序 ABC xyz 0123456789 ~!@");
    for (const QString& key : {QStringLiteral("k"), QStringLiteral("密钥Key"), QString(40, QLatin1Char('Z'))}) {
        uint8_t field[202] = {};
        EncodeText(text, key, field, 200);
        const int n = static_cast<int>(common::ToCodePage(text).size());
        for (int i = 0; i < n; ++i) EXPECT_NE(field[i], 0) << i;
        EXPECT_EQ(field[n], 0);
        EXPECT_NE(QByteArray(reinterpret_cast<char*>(field), n), common::ToCodePage(text));
        EXPECT_EQ(DecodeText(field, key, 200), text);
    }
}

TEST(TextCodec, KeyedByteFollowsTheMixingRule)
{
    // Key "AB": m = 1, S = 131, S mod 255 = 131. Position 1: k(1) = 'B' (66), 66 AND 1 = 0,
    // x = (0 XOR 131) XOR 1 = 130. 'a' (97) XOR 130 = 227.
    uint8_t field[4] = {};
    EncodeText(QStringLiteral("aa"), QStringLiteral("AB"), field, 2);
    EXPECT_EQ(field[1], 227);
    // Position 0: k(0) = 65, 65 AND 0 = 0, x = 131 XOR 1 = 130 as well.
    EXPECT_EQ(field[0], 227);
}

TEST(TextCodec, BinArrayIsAnOrdinaryTextAndSettingsUseTheirOwnCopy)
{
    ProjectRecord rec;
    rec.SetText(Title, QStringLiteral("BinArray"));
    EXPECT_EQ(rec.Text(Title), QStringLiteral("BinArray"));
    EXPECT_EQ(rec.bytes[at::Settings], 0);

    common::Bytes setData(41, 0);
    for (size_t i = 0; i < setData.size(); ++i) setData[i] = static_cast<uint8_t>(i + 1);
    rec.StoreSettings(setData, 40);
    EXPECT_EQ(FieldBytes(rec, at::Settings, 41),
              QByteArray(reinterpret_cast<const char*>(setData.data()), 40) + QByteArray(1, '\0'));
    common::Bytes back(41, 0xEE);
    rec.LoadSettings(back, 40);
    EXPECT_EQ(back[39], 40);
    EXPECT_EQ(back[40], 0xEE);  // the spare byte is never exchanged
}

TEST(NewNode, ChildKeepsTheWorkingRecordsBlockExceptItsFirstByte)
{
    ProjectRecord work;
    std::fill(work.bytes.begin(), work.bytes.end(), uint8_t{7});
    BuildNewNode(work, 9, NewSettings::ClearFirstByteOnly);
    EXPECT_EQ(work.bytes[at::Settings], 0);
    EXPECT_EQ(work.bytes[at::Settings + 1], 7);
    EXPECT_EQ(work.bytes[at::Settings + 1025], 7);
    EXPECT_EQ(work.InUse(), 1);
    EXPECT_EQ(work.SelfRec(), 9);
    EXPECT_EQ(work.ChildRec(), 0);
    EXPECT_EQ(work.Expanded(), 1);
    EXPECT_EQ(work.NodeKey(), NodeKey(9));
    EXPECT_EQ(work.Text(Title), kNewNodeTitle);
    for (TextField f : kNoteFields) EXPECT_EQ(work.bytes[static_cast<size_t>(f.offset)], 0);

    BuildNewNode(work, 9, NewSettings::ClearBlock);
    EXPECT_EQ(work.bytes[at::Settings + 1024], 0);
    EXPECT_EQ(work.bytes[at::Settings + 1025], 7);
}

class FreeRecordTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder;
    QString path = folder.file(QStringLiteral("F.QVR"));

    void Records(std::initializer_list<int16_t> inUse)
    {
        WriteRecord(path, 1, NewHeader(QStringLiteral("t")));
        int n = 2;
        for (int16_t used : inUse) {
            ProjectRecord rec;
            rec.SetInteger(at::InUse, used);
            WriteRecord(path, n++, rec);
        }
    }

    int32_t Free()
    {
        RecordFile file(path, RecordFile::Mode::Read);
        return file.FindFreeRecord();
    }
};

TEST_F(FreeRecordTest, LowestFreeOrJustPastTheEnd)
{
    Records({});
    EXPECT_EQ(Free(), 2);
    Records({1, 0, 1});
    EXPECT_EQ(Free(), 3);
    Records({1, 1, 1});
    EXPECT_EQ(Free(), 5);
}

TEST_F(FreeRecordTest, ALastRecordCountsOnceMoreThanHalfOfItIsThere)
{
    struct Case {
        qint64 length;
        int32_t expected;
    };
    const Case cases[] = {
        {4 * kRecordSize - 1, 5},              // record 4 one byte short: in use
        {3 * kRecordSize + 1396, 5},           // just over half of record 4
        {3 * kRecordSize + 1395, 5},           // exactly half, 3.5 records round to 4
        {2 * kRecordSize + 1395, 3},           // exactly half, 2.5 records round to 2
        {3 * kRecordSize + 100, 4},            // a sliver is no record: free space
    };
    for (const Case& c : cases) {
        Records({1, 1, 1});
        ASSERT_TRUE(QFile::resize(path, c.length));
        EXPECT_EQ(Free(), c.expected) << c.length;
    }
}

TEST_F(FreeRecordTest, ARecordTheTreeReachesIsNeverFree)
{
    Records({0, 1, 0});  // records 2 and 3 linked as a chain, 2 marked free
    ProjectRecord header = ReadRecord(path, 1);
    header.SetLong(at::FirstNode, 2);
    WriteRecord(path, 1, header);
    ProjectRecord first = ReadRecord(path, 2);
    first.SetLong(at::NextRec, 3);
    WriteRecord(path, 2, first);
    EXPECT_EQ(Free(), 4);
    ProjectRecord second = ReadRecord(path, 3);
    second.SetLong(at::ChildRec, 4);
    WriteRecord(path, 3, second);
    EXPECT_EQ(Free(), 5);
}

}  // namespace
