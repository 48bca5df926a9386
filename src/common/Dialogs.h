#pragma once
// Message boxes, file dialogs and the shell's "open" go through this interface, so the
// window shows real dialogs and tests answer them from a script.

#include <QString>

namespace common {

enum class MsgIcon { None, Exclamation, Information, Question, Critical };
enum class MsgButtons { Ok, YesNo, OkCancel };
enum class MsgResult { Ok, Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box. An empty title means the program's default title.
    virtual MsgResult Message(const QString& text, const QString& title, MsgIcon icon,
                              MsgButtons buttons) = 0;

    // File dialogs: `filter` is in the "Description|*.EXT" form; "" means cancelled.
    virtual QString OpenFileName(const QString& title, const QString& filter,
                                 const QString& initialFolder) = 0;
    virtual QString SaveFileName(const QString& title, const QString& filter,
                                 const QString& initialFolder) = 0;

    // Opens a document or web address with the desktop's handler; false when it failed.
    virtual bool ShellOpen(const QString& target) = 0;
};

// The program's default title for message boxes that name none.
QString DefaultMessageTitle();

}  // namespace common
