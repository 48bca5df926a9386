#include "main/LogBox.h"

#include <QScrollBar>
#include <QTextCursor>

namespace mainwin {

LogBox::LogBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void LogBox::AppendText(const QString& line)
{
    text_ += line;
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    QString shown = line;
    shown.remove(QLatin1Char('\r'));
    end.insertText(shown);
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
    // Line heights of some fonts leave ensureCursorVisible a line short of the end.
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

}  // namespace mainwin
