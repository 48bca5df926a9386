// Every test program runs with a QApplication on the offscreen platform, and with a runtime
// folder of its own where the session names none.
#include "common/RuntimeFolder.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    common::ProvideRuntimeFolder(QDir::tempPath());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
