#include "main/Program.h"

#include <QApplication>
#include <QMainWindow>

namespace mainwin {

int RunProgram(QApplication& app)
{
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Burning"));
    window.show();
    return app.exec();
}

}  // namespace mainwin
