// What the installed fonts make of the window: captions fit their designed boxes, and the
// signs of the shipped tables' units are drawn in the grids.
#include "main/WindowFixture.h"

#include "main/CaptionFit.h"

#include "params/FlexGrid.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>

namespace testmain {
namespace {

class WindowCaptionsTest : public WindowFixture {};

int InkOf(const QString& text, const QFont& font)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, text);
    painter.end();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

TEST_F(WindowCaptionsTest, EveryCaptionFitsItsDesignedBox)
{
    auto& form = Build();
    const std::pair<QWidget*, QString> captions[] = {
        {form.Check1[3], "AutoLoad"}, {form.Check1[0], "Version"},  {form.Check1[1], "KeepInF"},
        {form.Command1, "AutoDetect"}, {form.Command2, "OpenUart"}, {form.Command2, "CloseUart"},
        {form.Command3, "Load File"},  {form.Command4, "Program"},  {form.Label4_2, "FrameLen："},
        {form.Label14, "BaudRate："},  {form.Label1[3], "显示文件:"}};
    for (const auto& [control, caption] : captions) {
        SCOPED_TRACE(caption.toStdString());
        EXPECT_LE(QFontMetrics(control->font()).horizontalAdvance(caption), mainwin::CaptionRoom(*control));
        EXPECT_GE(control->font().pointSizeF(), 7.0);
    }
}

TEST_F(WindowCaptionsTest, ThePortLabelsShareOneSizeThatFitsThemAll)
{
    auto& form = Build();
    for (QLabel* label : {form.Label5_1, form.Label14, form.Label2_1, form.Label3_1, form.Label4_1, form.Label4_2}) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_EQ(label->font().pointSizeF(), form.Label5_1->font().pointSizeF());
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), mainwin::CaptionRoom(*label));
    }
}

TEST_F(WindowCaptionsTest, TheGridsDrawTheDegreeSignOfTheTablesUnits)
{
    auto& form = Build();
    for (params::FlexGrid* grid : form.MSFG) EXPECT_GT(InkOf(QStringLiteral("℃"), grid->font()), 0);
}

}  // namespace
}  // namespace testmain
