#pragma once
#include "common/DateText.h"

class QApplication;

namespace mainwin {

// Program folder beside the executable, its "ports" folder, and "ProRecord(M0)" in the
// user's home folder for the daily records.
common::AppEnvironment ProgramEnvironment();

// Start-up: builds the program's state and main window, runs the event loop.
int RunProgram(QApplication& app);

}  // namespace mainwin
