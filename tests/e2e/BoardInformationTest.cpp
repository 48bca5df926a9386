// The board's information record through the window: picture-menu entry 6 against the
// stand-in controller, the order number it hands to the node panel, and what programming
// afterwards burns into the board.
#include "ProgrammingWindowFixture.h"

#include "common/Codepage.h"
#include "image/BitInfForm.h"

#include <QApplication>
#include <QLineEdit>
#include <optional>

namespace {

constexpr uint32_t kRecordFlash = 0x08002400;
constexpr int kOrderIdAt = 10;
constexpr int kReadImageInfoEntry = 6;
const QString kSample = QStringLiteral(TOLVEXAN_PROGRAM_DIR "/Sample.BIN");

struct VersionTexts {
    QString deviceId;
    QString orderId;
    QString dateUpdated;
};

class BoardInformation : public e2e::ProgrammingWindowFixture {
protected:
    // Picture-menu entry 6: the Version Information window's boxes as it showed them,
    // closed with "Enter"; nullopt when it did not open.
    std::optional<VersionTexts> ReadBoardInformation()
    {
        std::optional<VersionTexts> seen;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* window = qobject_cast<image::BitInfForm*>(QApplication::activeModalWidget());
            if (!window) return;
            watch.stop();
            seen = VersionTexts{window->Text1(0)->text(), window->Text1(1)->text(), window->Text1(2)->text()};
            window->Command1_Click();
        });
        watch.start();
        form->MenuImg_MouseUp(kReadImageInfoEntry);
        TickUntil([&] { return seen.has_value(); }, 400);
        return seen;
    }

    QLineEdit* OrderBox() const { return static_cast<QLineEdit*>(form->NotesTxt[5]); }
    QByteArray BoardRecord() const { return devsim.Flash(kRecordFlash, image::kImageInfoSize); }
};

// The README's try-out: the sample's information area is erased flash.
TEST_F(BoardInformation, ABlankBoardReadsEmptyAndNothingOfItIsBurnt)
{
    StartWindow({"--image", kSample});
    ASSERT_FALSE(HasFatalFailure());
    const auto blank = ReadBoardInformation();
    ASSERT_TRUE(blank.has_value()) << Log().toStdString();
    EXPECT_EQ(blank->deviceId, "-1");
    EXPECT_EQ(blank->orderId, QString());
    EXPECT_EQ(blank->dateUpdated, QString());
    EXPECT_EQ(OrderBox()->text(), QString());

    LoadAndProgram(kSample);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    const QByteArray record = BoardRecord();
    EXPECT_FALSE(record.contains('?')) << record.toHex().toStdString();
    EXPECT_EQ(record.mid(kOrderIdAt, 30), QByteArray(30, ' '));

    // Burnt with no order number: the board reads as holding none.
    const auto burnt = ReadBoardInformation();
    ASSERT_TRUE(burnt.has_value());
    EXPECT_EQ(burnt->orderId, QString());
    EXPECT_EQ(burnt->dateUpdated, "26129");
}

TEST_F(BoardInformation, ABoardsOrderNumberIsShownAndHandedOnToTheNextBoard)
{
    image::ImageInfoRecord stamped;
    stamped.DeviceID = -1;
    stamped.Reserved = -1;
    stamped.DateUpdated = common::FixedText(QStringLiteral("2611"), 6);
    stamped.OrderID = common::FixedText(QStringLiteral("订单-42"), 30);
    stamped.Remark = common::FixedText(QStringLiteral("K300Tavrin"), 10);
    QByteArray board(4096, char(0x5A));
    const common::Bytes record = stamped.ToBytes();
    board.replace(image::kImageInfoOffset, image::kImageInfoSize,
                  QByteArray(reinterpret_cast<const char*>(record.data()), image::kImageInfoSize));
    StartWindow({"--image", folder.write("board.BIN", board)});
    ASSERT_FALSE(HasFatalFailure());
    OrderBox()->setText(QStringLiteral("SO-1"));

    const auto shown = ReadBoardInformation();
    ASSERT_TRUE(shown.has_value()) << Log().toStdString();
    EXPECT_EQ(shown->orderId, QStringLiteral("订单-42"));
    EXPECT_EQ(shown->dateUpdated, "2611");
    EXPECT_EQ(OrderBox()->text(), QStringLiteral("订单-42"));

    LoadAndProgram(WriteImage("next.BIN", 3000));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntilBurnt(1)) << Log().toStdString();
    EXPECT_EQ(BoardRecord().mid(kOrderIdAt, 30), stamped.OrderID);
}

}  // namespace
