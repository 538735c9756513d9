// 朗记通: program entry. The commands for scripts run here, on Qt Core alone; the windows are
// in a module opened only when no command is asked for, so that a command loads no GUI or
// sound library.
#include "app/commandline.h"
#include "app/windowsmain.h"
#include "core/processend.h"
#include "core/programmodule.h"
#include "core/startupmark.h"
#include "host/folders.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <string>

namespace {

/// Opens the windows' module and runs the windows; 1 when the module cannot be opened.
int RunWindows(int& argc, char** argv) {
    std::string error;
    // Shared, so that the sound engine opened later uses the windows' copies of the program's
    // code (one output volume, one of each class).
    void* entry = core::ModuleEntry(WindowsModule, WindowsEntry, true, error);
    if (entry == nullptr) {
        std::fprintf(stderr, "langjitong: %s\n", error.c_str());
        return 1;
    }
    core::StartupMark("windows module");
    return reinterpret_cast<decltype(&ljt_windows_main)>(entry)(&argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    core::StartupMark("main");
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // Commands for scripts run without windows, so that they work without a display.
    if (WantsCommand(arguments)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("langjitong"));
        QTextStream out(stdout);
        QTextStream err(stderr);
        return RunCommand(QCoreApplication::arguments(), RunFolders(), out, err);
    }
    // The windows have used the sound server: the end skips the static objects' destructors.
    core::EndProcess(RunWindows(argc, argv));
}
