#include "main/Program.h"

#include "main/AppState.h"
#include "main/ViewForm.h"

#include "common/DateText.h"
#include "common/QtDialogs.h"
#include "link/QtSerialPort.h"

#include <QApplication>
#include <QDir>

namespace mainwin {

common::AppEnvironment ProgramEnvironment()
{
    common::AppEnvironment env;
    env.programFolder = QCoreApplication::applicationDirPath();
    env.portsFolder = env.programFolder + QStringLiteral("/ports");
#ifdef Q_OS_WIN
    env.recordFolder = QStringLiteral("D:/ProRecord(M0)");
#else
    env.recordFolder = QDir::homePath() + QStringLiteral("/ProRecord(M0)");
#endif
    return env;
}

int RunProgram(QApplication& app)
{
    common::AppEnvironment env = ProgramEnvironment();
    AppState state;  // SetData 0..60 and DispData 0..72 until the tables are parsed
    common::QtDialogs dialogs;
    devlink::QtSerialPort port(env.portsFolder);
    ViewForm window(env, dialogs, state, port);
    dialogs.SetParent(&window);
    window.Form_Load();
    return app.exec();
}

}  // namespace mainwin
