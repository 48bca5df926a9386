#include "support/ScriptedDialogs.h"

namespace testsupport {

common::MsgResult ScriptedDialogs::Message(const QString& text, const QString& title,
                                           common::MsgIcon icon, common::MsgButtons buttons)
{
    messages.push_back({text, title, icon, buttons});
    if (!messageAnswers.empty()) {
        auto answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    return buttons == common::MsgButtons::YesNo ? common::MsgResult::Yes : common::MsgResult::Ok;
}

QString ScriptedDialogs::OpenFileName(const QString&, const QString& filter,
                                      const QString& initialFolder)
{
    fileDialogFilters << filter;
    fileDialogFolders << initialFolder;
    if (fileAnswers.empty()) return QString();
    QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::SaveFileName(const QString& title, const QString& filter,
                                      const QString& initialFolder)
{
    return OpenFileName(title, filter, initialFolder);
}

bool ScriptedDialogs::ShellOpen(const QString& target)
{
    shellTargets << target;
    return shellResult;
}

QStringList ScriptedDialogs::MessageTexts() const
{
    QStringList texts;
    for (const auto& m : messages) texts << m.text;
    return texts;
}

}  // namespace testsupport
