#pragma once
class QApplication;

namespace mainwin {

// Start-up: builds the program's state and main window, runs the event loop.
int RunProgram(QApplication& app);

}  // namespace mainwin
