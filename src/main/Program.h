#pragma once
#include "common/DateText.h"

class QApplication;

namespace mainwin {

// Program folder beside the executable, its "ports" folder, and for the daily records
// "D:\ProRecord(M0)" on Windows, elsewhere "ProRecord(M0)" in the user's home folder.
common::AppEnvironment ProgramEnvironment();

// Start-up: builds the program's state and main window, runs the event loop.
int RunProgram(QApplication& app);

}  // namespace mainwin
