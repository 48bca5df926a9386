#include "image/ImageFileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace image {

bool FileNameUsable(const QString& name) { return name.size() > 5; }

std::optional<int64_t> MeasureFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.size();
}

std::optional<common::Bytes> ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    common::Bytes bytes(static_cast<size_t>(file.size()));
    if (bytes.empty()) return bytes;
    const qint64 got = file.read(reinterpret_cast<char*>(bytes.data()), file.size());
    if (got != file.size()) return std::nullopt;
    return bytes;
}

std::optional<common::Bytes> ReadFileHead(const QString& path, int64_t count)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    common::Bytes bytes(static_cast<size_t>(count), 0);
    const qint64 wanted = std::min<qint64>(count, file.size());
    if (wanted > 0 && file.read(reinterpret_cast<char*>(bytes.data()), wanted) != wanted)
        return std::nullopt;
    return bytes;
}

namespace {

bool WriteAll(QFileDevice& file, const common::Bytes& bytes)
{
    const auto size = static_cast<qint64>(bytes.size());
    return size == 0 || file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

// A device or other special file is written in place, never replaced.
bool WriteInPlace(const QString& path, const common::Bytes& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool written = WriteAll(file, bytes) && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

}  // namespace

bool WriteWholeFile(const QString& path, const common::Bytes& bytes)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) return !target.isDir() && WriteInPlace(path, bytes);
    // A regular file is replaced only once every new byte is on disk.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!WriteAll(file, bytes)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace image
