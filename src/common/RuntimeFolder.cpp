#include "common/RuntimeFolder.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

constexpr mode_t kOwnerOnly = 0700;

// A folder at `path` that only this user may enter: made if missing, narrowed if wider.
// A link or another user's folder of that name is refused, not followed or taken over.
bool PrivateFolderAt(const QByteArray& path)
{
    if (::mkdir(path.constData(), kOwnerOnly) != 0 && errno != EEXIST) return false;
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0) return false;
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()) return false;
    return (status.st_mode & 07777) == kOwnerOnly || ::chmod(path.constData(), kOwnerOnly) == 0;
}

}  // namespace

bool ProvideRuntimeFolder(const QString& tempFolder)
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return true;
    const QByteArray path = QFile::encodeName(tempFolder) + "/runtime-" + QByteArray::number(::geteuid());
    if (!PrivateFolderAt(path)) return false;
    return qputenv("XDG_RUNTIME_DIR", path);
}

}  // namespace common
