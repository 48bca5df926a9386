#pragma once
// Dialogs that never show anything: every message is counted and answered at once
// (OK, or No to a question, so nothing is ever overwritten), every file dialog is
// cancelled and the shell opens nothing.

#include "common/Dialogs.h"

#include <QString>

namespace fuzz {

class SilentDialogs : public common::Dialogs {
public:
    int messages = 0;

    common::MsgResult Message(const QString&, const QString&, common::MsgIcon,
                              common::MsgButtons buttons) override
    {
        ++messages;
        return buttons == common::MsgButtons::YesNo ? common::MsgResult::No : common::MsgResult::Ok;
    }

    QString OpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool ShellOpen(const QString&) override { return false; }
};

}  // namespace fuzz
