#include "common/QtDialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace common {

QString DefaultMessageTitle() { return QStringLiteral("Tolvexan"); }

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::Ok: break;
    }
    return QMessageBox::Ok;
}

MsgResult FromQtButton(int button)
{
    switch (button) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default: return MsgResult::Ok;
    }
}

}  // namespace

MsgResult QtDialogs::Message(const QString& text, const QString& title, MsgIcon icon,
                             MsgButtons buttons)
{
    QMessageBox box(ToQtIcon(icon), title.isEmpty() ? DefaultMessageTitle() : title, text,
                    ToQtButtons(buttons), parent_);
    return FromQtButton(box.exec());
}

QString QtDialogs::ToQtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList qtFilters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        QStringList withLower = patterns;
        for (const QString& pattern : patterns)
            if (pattern.toLower() != pattern) withLower << pattern.toLower();
        qtFilters << QStringLiteral("%1 (%2)").arg(parts[i], withLower.join(' '));
    }
    return qtFilters.join(QStringLiteral(";;"));
}

QString QtDialogs::OpenFileName(const QString& title, const QString& filter,
                                const QString& initialFolder)
{
    return QFileDialog::getOpenFileName(parent_, title, initialFolder, ToQtFilter(filter));
}

QString QtDialogs::SaveFileName(const QString& title, const QString& filter,
                                const QString& initialFolder)
{
    return QFileDialog::getSaveFileName(parent_, title, initialFolder, ToQtFilter(filter));
}

bool QtDialogs::ShellOpen(const QString& target)
{
    const QUrl url = target.contains(QStringLiteral("://")) ? QUrl(target)
                                                             : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}

}  // namespace common
