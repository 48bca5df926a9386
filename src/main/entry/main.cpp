#include "common/RuntimeFolder.h"
#include "main/Program.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    // Before Qt looks for it.
    common::ProvideRuntimeFolder(QDir::tempPath());
    QApplication app(argc, argv);
    return mainwin::RunProgram(app);
}
