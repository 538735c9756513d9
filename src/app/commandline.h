#pragma once
#include <QStringList>

class QTextStream;
struct ProgramFolders;

/// True when the arguments ask for a command-line command (help, export, import) instead of
/// the windows.
bool WantsCommand(const QStringList& arguments);

/// Reads the arguments the windows get, once Qt has taken its own (-platform and the like):
/// at most one word file, which file receives. An unknown option or a second file is wrong
/// use: the error and the usage go to err and the result is the exit status 2; otherwise 0.
int ReadWindowArguments(const QStringList& arguments, QString& file, QTextStream& err);

/// Runs the command-line command of arguments (the program's name first) on the folders:
/// "--help", "--version", "--export LEARNER [--list L] [--format F] OUT",
/// "--import FILE --bank NAME" and "--import FILE --to-list LEARNER". Reports go to out,
/// failures to err. Returns the exit status: 0 done, 1 failed, 2 wrong use.
int RunCommand(const QStringList& arguments, const ProgramFolders& folders, QTextStream& out,
               QTextStream& err);
