#include "image/BitInfForm.h"

#include "common/Codepage.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using image::BitInfForm;
using image::ImageInfoRecord;

namespace {

ImageInfoRecord ProgrammedRecord()
{
    ImageInfoRecord info;
    info.DeviceID = -1;
    info.Reserved = -1;
    info.DateUpdated = common::FixedText(QStringLiteral("26129"), 6);
    info.OrderID = common::FixedText(QStringLiteral("订单A-17"), 30);
    info.Remark = common::FixedText(QStringLiteral("K300Tavrin"), 10);
    return info;
}

class VersionWindow : public ::testing::Test {
protected:
    ImageInfoRecord info = ProgrammedRecord();
    BitInfForm window{info};
    QLineEdit* remark() const { return window.Text1(BitInfForm::kRemarkBox); }
};

}  // namespace

TEST_F(VersionWindow, FillShowsTheRecordsTextsWithoutTheirFill)
{
    window.FillFromImageInfo();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Version Information"));
    EXPECT_EQ(window.Text1(0)->text(), QStringLiteral("-1"));
    EXPECT_EQ(window.Text1(1)->text(), QStringLiteral("订单A-17"));
    EXPECT_EQ(window.Text1(2)->text(), QStringLiteral("26129"));
    EXPECT_EQ(remark()->text(), QString());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(window.Text1(i)->isReadOnly()) << i;
    EXPECT_FALSE(remark()->isReadOnly());
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label1_2"))->text(),
              QStringLiteral("DateUpdated\uFF1A"));
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("Command1"))->text(),
              QStringLiteral("Enter"));
}

TEST_F(VersionWindow, PositiveDeviceIdShowsInDecimal)
{
    info.DeviceID = 4660;
    window.FillFromImageInfo();
    EXPECT_EQ(window.Text1(0)->text(), QStringLiteral("4660"));
}

TEST_F(VersionWindow, AccessCodeTypedWholeRevealsTheStoredRemark)
{
    remark()->setText(QStringLiteral("wrnqe"));
    EXPECT_EQ(remark()->text(), QStringLiteral("K300Tavrin"));
}

TEST_F(VersionWindow, AccessCodeTypedKeyByKeyRevealsOnlyAtTheFifthCharacter)
{
    window.show();
    remark()->setFocus();
    QTest::keyClicks(remark(), QStringLiteral("wrnq"));
    EXPECT_EQ(remark()->text(), QStringLiteral("wrnq"));
    QTest::keyClick(remark(), Qt::Key_E);
    EXPECT_EQ(remark()->text(), QStringLiteral("K300Tavrin"));
}

TEST_F(VersionWindow, AnythingButTheExactCodeIsLeftAsTyped)
{
    for (const QString typed : {QStringLiteral("wrnqex"), QStringLiteral("WRNQE"),
                                QStringLiteral(" wrnqe"), QStringLiteral("wrnqe "),
                                QStringLiteral("Wrnqe"), QStringLiteral("wrnq")}) {
        remark()->setText(typed);
        EXPECT_EQ(remark()->text(), typed);
    }
}

TEST_F(VersionWindow, RemarkIsTheRecordsAtTheTimeOfTypingFromCodePage936)
{
    window.FillFromImageInfo();
    info.Remark = common::FixedText(QStringLiteral("出厂批次"), 10);
    remark()->setText(QStringLiteral("wrnqe"));
    EXPECT_EQ(remark()->text(), QStringLiteral("出厂批次"));
}

TEST_F(VersionWindow, ABlankBoardsRecordShowsEmptyTexts)
{
    common::Bytes erased(image::kImageInfoSize, 0xFF);
    ASSERT_TRUE(info.FromBytes(erased.data(), erased.size(), 0));
    window.FillFromImageInfo();
    EXPECT_EQ(window.Text1(0)->text(), QStringLiteral("-1"));
    EXPECT_EQ(window.Text1(1)->text(), QString());
    EXPECT_EQ(window.Text1(2)->text(), QString());
    remark()->setText(QStringLiteral("wrnqe"));
    EXPECT_EQ(remark()->text(), QString());
}

TEST(VersionInformation, ShownModallyAndBuiltAfreshForEveryRead)
{
    const ImageInfoRecord info = ProgrammedRecord();
    QStringList seenRemarks;
    QStringList seenIds;
    auto typeCodeAndEnter = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        auto* window = qobject_cast<BitInfForm*>(modal);
        ASSERT_NE(window, nullptr);
        seenIds << window->Text1(0)->text();
        seenRemarks << window->Text1(BitInfForm::kRemarkBox)->text();
        window->Text1(BitInfForm::kRemarkBox)->setText(QStringLiteral("wrnqe"));
        window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    };
    for (int read = 0; read < 2; ++read) {
        QTimer::singleShot(0, typeCodeAndEnter);
        image::ShowVersionInformation(info, nullptr);
    }
    EXPECT_EQ(seenIds, QStringList({QStringLiteral("-1"), QStringLiteral("-1")}));
    // The second read starts from the design text, not from the revealed remark.
    EXPECT_EQ(seenRemarks, QStringList({QString(), QString()}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
