#pragma once
// Dates and times as the program writes them: short date yyyy/M/d, long time H:mm:ss.

#include <QDateTime>
#include <QString>
#include <functional>

namespace common {

inline QString ShortDate(const QDate& date) { return date.toString(QStringLiteral("yyyy/M/d")); }
inline QString LongTime(const QTime& time) { return time.toString(QStringLiteral("H:mm:ss")); }
inline QString GeneralDate(const QDateTime& at)
{
    return ShortDate(at.date()) + QLatin1Char(' ') + LongTime(at.time());
}

// Where the program finds its files and what time it is; tests replace each part.
struct AppEnvironment {
    QString programFolder;                 // folder of the executable and its side files
    QString recordFolder;                  // folder of the daily programming records
    QString portsFolder;                   // optional "COMn" links that name serial devices
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
};

}  // namespace common
