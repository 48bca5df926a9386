#pragma once
#include "common/Dialogs.h"

class QWidget;

namespace common {

// Real modal dialogs on Qt, parented to the given window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    MsgResult Message(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) override;
    QString OpenFileName(const QString& title, const QString& filter,
                         const QString& initialFolder) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& initialFolder) override;
    bool ShellOpen(const QString& target) override;

    // "File(*.BIN)|*.BIN" becomes "File(*.BIN) (*.BIN *.bin)".
    static QString ToQtFilter(const QString& filter);

private:
    QWidget* parent_;
};

}  // namespace common
