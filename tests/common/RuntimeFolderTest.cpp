// The runtime folder a program provides for itself when the session names none.
#include "common/RuntimeFolder.h"

#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testcommon {
namespace {

mode_t ModeOf(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) return 0;
    return status.st_mode & 07777;
}

class RuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override { saved = qgetenv("XDG_RUNTIME_DIR"); }
    void TearDown() override
    {
        if (saved.isNull()) qunsetenv("XDG_RUNTIME_DIR");
        else qputenv("XDG_RUNTIME_DIR", saved);
    }

    QString Expected() const { return temp.file(QStringLiteral("runtime-%1").arg(::geteuid())); }

    QByteArray saved;
    testsupport::TempFolder temp;
};

TEST_F(RuntimeFolderTest, WithoutTheVariableAPrivateFolderOfThisUsersIsNamedAndNothingElse)
{
    struct Case {
        const char* name;
        std::function<void(const QString& path)> before;  // what stands at the folder's place
        bool used;
    };
    const std::vector<Case> cases = {
        {"nothing there yet", [](const QString&) {}, true},
        {"an earlier start's folder", [](const QString& path) { QDir().mkpath(path); }, true},
        {"a folder of this user's that others may enter",
         [](const QString& path) {
             QDir().mkpath(path);
             ::chmod(QFile::encodeName(path).constData(), 0755);
         },
         true},
        {"a file", [this](const QString& path) { temp.write(QFileInfo(path).fileName(), "x"); }, false},
        {"a link to a folder",
         [this](const QString& path) {
             QDir().mkpath(temp.file("elsewhere"));
             ::chmod(QFile::encodeName(temp.file("elsewhere")).constData(), 0755);
             QFile::link(temp.file("elsewhere"), path);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Expected();
        QFile::remove(path);
        QDir(path).removeRecursively();
        c.before(path);
        qunsetenv("XDG_RUNTIME_DIR");

        EXPECT_EQ(common::ProvideRuntimeFolder(temp.path()), c.used);
        if (c.used) {
            EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), QFile::encodeName(path));
            EXPECT_TRUE(QFileInfo(path).isDir());
            EXPECT_EQ(ModeOf(path), 0700u);
        } else {
            EXPECT_TRUE(qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"));
        }
    }
    // The last case's link is left as it was, and so is its target.
    EXPECT_TRUE(QFileInfo(Expected()).isSymLink());
    EXPECT_EQ(ModeOf(temp.file("elsewhere")), 0755u);
}

TEST_F(RuntimeFolderTest, AFolderTheSessionNamesIsKeptAndAnEmptyNameCountsAsNone)
{
    qputenv("XDG_RUNTIME_DIR", "/run/user/4242");
    EXPECT_TRUE(common::ProvideRuntimeFolder(temp.path()));
    EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), "/run/user/4242");
    EXPECT_FALSE(QFileInfo::exists(Expected()));

    qputenv("XDG_RUNTIME_DIR", "");
    EXPECT_TRUE(common::ProvideRuntimeFolder(temp.path()));
    EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), QFile::encodeName(Expected()));
}

}  // namespace
}  // namespace testcommon
