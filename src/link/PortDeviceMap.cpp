#include "link/PortDeviceMap.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace devlink {
namespace {

// Devices of one family (e.g. "ttyUSB") whose names end in a number, in numeric order.
QStringList DevicesOfFamily(const QDir& folder, const QString& family)
{
    QList<QPair<int, QString>> numbered;
    const QStringList names = folder.entryList({family + QLatin1Char('*')}, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        bool ok = false;
        const int number = name.mid(family.size()).toInt(&ok);
        if (ok && number >= 0) numbered.append({number, folder.filePath(name)});
    }
    std::sort(numbered.begin(), numbered.end());
    QStringList paths;
    for (const auto& entry : numbered) paths.append(entry.second);
    return paths;
}

}  // namespace

QStringList NumberedSerialDevices(const QString& deviceFolder)
{
    const QDir folder(deviceFolder);
    QStringList all;
    for (const char* family : {"ttyUSB", "ttyACM", "ttyS"}) all += DevicesOfFamily(folder, QLatin1String(family));
    return all;
}

QString PortDevicePath(int port, const QString& portsFolder, const QString& deviceFolder)
{
    const QString name = QStringLiteral("COM%1").arg(port);
#ifdef Q_OS_WIN
    Q_UNUSED(portsFolder);
    Q_UNUSED(deviceFolder);
    return name;
#else
    if (port < 1) return {};
    if (!portsFolder.isEmpty()) {
        const QFileInfo named(QDir(portsFolder).filePath(name));
        // A link is followed to the device it names. A dangling link names nothing: the
        // user meant that device, not whichever serial device the number would pick.
        if (named.isSymLink() || named.exists()) return named.canonicalFilePath();
    }
    const QStringList devices = NumberedSerialDevices(deviceFolder);
    return port <= devices.size() ? devices.at(port - 1) : QString();
#endif
}

}  // namespace devlink
