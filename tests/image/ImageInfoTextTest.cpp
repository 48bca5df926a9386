// The text fields of the image information record as a board holds them: erased flash,
// fill, partly written and damaged fields.
#include "image/ImageTypes.h"

#include "common/Codepage.h"

#include <gtest/gtest.h>

namespace {

QByteArray Field(const QByteArray& written, int width)
{
    return written + QByteArray(width - written.size(), char(0xFF));
}

TEST(ImageInfoText, ErasedFlashEndsTheTextAndTheFillIsDropped)
{
    const QByteArray order = common::FixedText(QStringLiteral("订单A-17"), 30);
    struct Case {
        const char* what;
        QByteArray field;
        QString text;
    } cases[] = {
        {"erased", QByteArray(30, char(0xFF)), QString()},
        {"stamped with its fill", order, QStringLiteral("订单A-17")},
        {"stamped empty", QByteArray(30, ' '), QString()},
        {"date", "26129 ", QStringLiteral("26129")},
        {"leading blanks kept", "  7   ", QStringLiteral("  7")},
        {"written in part", Field("SO-9", 30), QStringLiteral("SO-9")},
        {"written in part, blanks before the erased rest", Field("SO-9  ", 30), QStringLiteral("SO-9")},
        {"erased first, written after", "\xFF" "ABC", QString()},
        {"a character cut by the erased rest", Field("\xB6\xA9\xB5", 30), QString()},
        {"no code page 936 text", "A\x81\x20" "B  ", QString()},
        {"a question mark that stands there", "Q?    ", QStringLiteral("Q?")},
        {"signature", "K300Tavrin", QStringLiteral("K300Tavrin")},
    };
    for (const Case& c : cases) EXPECT_EQ(image::FieldText(c.field), c.text) << c.what;
}

}  // namespace
