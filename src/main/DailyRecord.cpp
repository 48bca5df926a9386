#include "main/DailyRecord.h"

#include "common/Codepage.h"
#include "common/DateText.h"

#include <QDir>
#include <QFile>

namespace mainwin {

namespace {
constexpr int kSeparatorLength = 94;
const QString kLineEnd = QStringLiteral("\r\n");
}

QString DailyRecordFileName(const QDate& day)
{
    return QStringLiteral("%1.%2.%3(M0).Txt").arg(day.year()).arg(day.month()).arg(day.day());
}

QByteArray DailyRecordEntry(const QDateTime& closedAt, const QString& logText)
{
    const QString entry = common::GeneralDate(closedAt) + QString(kSeparatorLength, QLatin1Char('='))
                          + kLineEnd + logText + kLineEnd;
    return common::ToCodePage(entry);
}

QString AppendDailyRecord(const QString& folder, const QDateTime& closedAt, const QString& logText)
{
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkdir(folder))
        return QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(folder));

    QFile file(dir.filePath(DailyRecordFileName(closedAt.date())));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("Cannot open %1: %2")
            .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
    const QByteArray entry = DailyRecordEntry(closedAt, logText);
    if (file.write(entry) != entry.size() || !file.flush())
        return QStringLiteral("Cannot write %1: %2")
            .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
    return {};
}

}  // namespace mainwin
