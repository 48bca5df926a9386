// A start of the program without XDG_RUNTIME_DIR, as root on a console or in a container
// has it, says nothing about the runtime folder, which the program makes private.
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

namespace testmain {
namespace {

// The program copied into a folder of its own with the shipped files, so that its start
// writes nothing into the build's program folder.
QString ProgramFolderCopy(const testsupport::TempFolder& temp)
{
    const QString folder = temp.file("bin");
    QDir().mkpath(folder);
    QFile::copy(QStringLiteral(TOLVEXAN_PROGRAM_DIR "/Tolvexan"), folder + "/Tolvexan");
    for (const char* name : {"Config.For", "Display.For", "Config.QVR"})
        QFile::copy(QStringLiteral(TOLVEXAN_SOURCE_DIR "/data/") + name, folder + '/' + name);
    return folder;
}

TEST(ProgramStart, WithoutXdgRuntimeDirTheProgramStartsWithoutALineAboutIt)
{
    testsupport::TempFolder temp;
    const QString folder = ProgramFolderCopy(temp);
    QDir().mkpath(temp.file("tmp"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), temp.file("tmp"));
    environment.insert(QStringLiteral("HOME"), temp.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(folder + "/Tolvexan", {});
    ASSERT_TRUE(program.waitForStarted()) << program.errorString().toStdString();

    // The default project's backup copy is made once the window has loaded, long after Qt
    // has looked for its runtime folder.
    const bool loaded = QTest::qWaitFor([&] { return QFileInfo::exists(folder + "/Config.QVR.Copy.QVR"); }, 60000);
    program.terminate();
    program.waitForFinished();
    ASSERT_TRUE(loaded) << program.readAllStandardError().toStdString();

    const QString output = QString::fromLocal8Bit(program.readAllStandardError() + program.readAllStandardOutput());
    EXPECT_FALSE(output.contains(QStringLiteral("XDG_RUNTIME_DIR"))) << output.toStdString();
    const QFileInfo runtime(temp.file(QStringLiteral("tmp/runtime-%1").arg(::geteuid())));
    EXPECT_TRUE(runtime.isDir());
    EXPECT_FALSE(runtime.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::WriteOther | QFile::ExeOther));
}

}  // namespace
}  // namespace testmain
