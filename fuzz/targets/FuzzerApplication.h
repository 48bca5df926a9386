#pragma once
// The libFuzzer executables run widgets (grids, the tree view), so each needs one
// QApplication on the offscreen platform for the whole run, made in LLVMFuzzerInitialize.

#include <QApplication>
#include <QtGlobal>

namespace fuzz {

inline void StartOffscreenApplication(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt keeps a reference to argc, so it must outlive the application.
    static int appArgc = 1;
    static char* appArgv[] = {argc && *argc > 0 ? (*argv)[0] : const_cast<char*>("fuzzer"), nullptr};
    static QApplication app(appArgc, appArgv);
}

}  // namespace fuzz
