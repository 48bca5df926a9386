#pragma once
// The log box `RTB`: read-only, it only grows. Its text keeps the CR LF line ends the
// daily record file receives.

#include <QPlainTextEdit>

namespace mainwin {

class LogBox : public QPlainTextEdit {
public:
    explicit LogBox(QWidget* parent = nullptr);

    QString Text() const { return text_; }
    // Adds `line` (which carries its own CR LF) and shows the end of the log.
    void AppendText(const QString& line);

private:
    QString text_;
};

}  // namespace mainwin
