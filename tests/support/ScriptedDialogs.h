#pragma once
// Dialogs answered from a script; every call is recorded for the test to inspect.

#include "common/Dialogs.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

namespace testsupport {

struct ShownMessage {
    QString text;
    QString title;
    common::MsgIcon icon;
    common::MsgButtons buttons;
};

class ScriptedDialogs : public common::Dialogs {
public:
    // Answers given in order; when the queue is empty a message answers Ok (or Yes for
    // Yes/No), a file dialog answers "" (cancelled) and the shell answers `shellResult`.
    std::deque<common::MsgResult> messageAnswers;
    std::deque<QString> fileAnswers;
    bool shellResult = true;

    std::vector<ShownMessage> messages;
    QStringList fileDialogFilters;
    QStringList fileDialogFolders;
    QStringList shellTargets;

    common::MsgResult Message(const QString& text, const QString& title, common::MsgIcon icon,
                              common::MsgButtons buttons) override;
    QString OpenFileName(const QString& title, const QString& filter,
                         const QString& initialFolder) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& initialFolder) override;
    bool ShellOpen(const QString& target) override;

    QStringList MessageTexts() const;
};

}  // namespace testsupport
