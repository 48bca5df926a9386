#pragma once
// The daily programming record: at every close the run's log is appended to one text
// file per day, "<year>.<month>.<day>(M0).Txt" in the record folder, code page 936.

#include <QDateTime>
#include <QString>

namespace mainwin {

// 2016.7.9(M0).Txt for 9 July 2016: no leading zeros.
QString DailyRecordFileName(const QDate& day);

// The entry for one run: the general date and time, 94 "=", CR LF, the log text as it
// stands, CR LF.
QByteArray DailyRecordEntry(const QDateTime& closedAt, const QString& logText);

// Appends the entry to the day's file, creating the folder (one level) and the file when
// missing. Returns "" on success, else a description of what failed.
QString AppendDailyRecord(const QString& folder, const QDateTime& closedAt,
                          const QString& logText);

}  // namespace mainwin
