#pragma once
// Editing a value of the real window's setting grid as the user does: a double-click on
// the value cell opens the editor, the text is typed, Enter commits it.

#include "main/ViewForm.h"
#include "params/FlexGrid.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace e2e {

inline void EditValue(mainwin::ViewForm& form, int row, const QString& text)
{
    params::FlexGrid* grid = form.MSFG[0];
    const QPoint centre = grid->visualRect(grid->model()->index(row, 3)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, centre);
    ASSERT_TRUE(form.InPutTxt_0->isVisible());
    QTest::keyClicks(form.InPutTxt_0, text);
    QTest::keyClick(form.InPutTxt_0, Qt::Key_Return);
    ASSERT_FALSE(form.InPutTxt_0->isVisible()) << "the value was not taken";
}

}  // namespace e2e
