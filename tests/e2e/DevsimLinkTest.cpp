// devsim --link PATH replaces only a link standing at PATH, and at exit removes only the
// link it made.
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

constexpr int kGenerousWaitMs = 10000;  // an upper bound only

const QString kDevsim = QStringLiteral(TOLVEXAN_PROGRAM_DIR "/devsim");

// Starts devsim with its link at `link`; the device path it prints, or "" when it
// printed none.
QString StartWithLink(QProcess& devsim, const QString& link)
{
    devsim.start(kDevsim, {"--exit-with-parent", "--link", link});
    if (!devsim.waitForStarted(kGenerousWaitMs)) return {};
    while (!devsim.canReadLine())
        if (!devsim.waitForReadyRead(kGenerousWaitMs)) return {};
    return QString::fromLocal8Bit(devsim.readLine()).trimmed();
}

void Stop(QProcess& devsim)
{
    devsim.terminate();
    ASSERT_TRUE(devsim.waitForFinished(kGenerousWaitMs));
    EXPECT_EQ(devsim.exitCode(), 0);
}

TEST(DevsimLink, AnythingButALinkAtThePathIsRefusedAndLeftAsItIs)
{
    testsupport::TempFolder folder;
    const QString project = folder.write("Config.QVR", "the user's project");
    ASSERT_TRUE(QDir(folder.path()).mkdir("ports"));
    for (const QString& path : {project, folder.file("ports")}) {
        SCOPED_TRACE(path.toStdString());
        QProcess devsim;
        devsim.start(kDevsim, {"--exit-with-parent", "--link", path});
        ASSERT_TRUE(devsim.waitForFinished(kGenerousWaitMs));
        EXPECT_EQ(devsim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(devsim.exitCode(), 2);
        EXPECT_TRUE(devsim.readAllStandardError().contains("replaces only a link"));
        EXPECT_TRUE(devsim.readAllStandardOutput().isEmpty());
    }
    EXPECT_EQ(folder.read(project), "the user's project");
    EXPECT_FALSE(QFileInfo(project).isSymLink());
    EXPECT_TRUE(QFileInfo(folder.file("ports")).isDir());
}

TEST(DevsimLink, ALinkIsReplacedAndAtExitOnlyItsOwnLinkIsRemoved)
{
    testsupport::TempFolder folder;
    const QString link = folder.file("COM1");
    ASSERT_TRUE(QFile::link(folder.file("gone"), link));  // left behind by an earlier run

    QProcess first;
    const QString firstDevice = StartWithLink(first, link);
    ASSERT_TRUE(firstDevice.startsWith('/'));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), firstDevice);

    // A second devsim takes the path over; the first one leaves that link alone.
    QProcess second;
    const QString secondDevice = StartWithLink(second, link);
    ASSERT_TRUE(secondDevice.startsWith('/'));
    Stop(first);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), secondDevice);

    Stop(second);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

}  // namespace
