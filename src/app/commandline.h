#pragma once
#include <QStringList>

class QTextStream;
struct ProgramFolders;

/// True when the arguments ask for a command-line command (help, export, import) instead of
/// the windows.
bool WantsCommand(const QStringList& arguments);

/// Runs the command-line command of arguments (the program's name first) on the folders:
/// "--help", "--version", "--export LEARNER [--list L] [--format F] OUT",
/// "--import FILE --bank NAME" and "--import FILE --to-list LEARNER". Reports go to out,
/// failures to err. Returns the exit status: 0 done, 1 failed, 2 wrong use.
int RunCommand(const QStringList& arguments, const ProgramFolders& folders, QTextStream& out,
               QTextStream& err);
