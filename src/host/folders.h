#pragma once
#include <QString>
#include <functional>

/// The two folders of a run: where the program reads its data and where everything it writes
/// goes. Decided in one place, here; the program hands them to every window through the
/// shared state (AppDir and LearnerDataDir).
struct ProgramFolders {
    QString dataDir;    ///< banks, sounds, pictures, font, lessons, video; ends in "/"
    QString learnerDir; ///< learner folders, "Temp.wav", the pages, imported banks; ends in "/"
};

/// Decides the folders of a program file in programDir:
/// - programDir holds the data (its "Ebook.txt", as the runnable folder the build lays out):
///   the data is read there, and everything is written there too when programDir is
///   writable, else in learnerDataHome;
/// - else the installed data folder beside it (dataFromProgram, "../share/langjitong" for an
///   installed program) holds the data: it is read there and written in learnerDataHome;
/// - else programDir serves for both, and missing files are reported as they are met.
ProgramFolders DecideFolders(const QString& programDir, const QString& dataFromProgram,
                             const QString& learnerDataHome,
                             const std::function<bool(const QString&)>& writable);

/// The learner data folder of the desktop conventions: $XDG_DATA_HOME/langjitong/
/// (~/.local/share/langjitong/ by default).
QString LearnerDataHome();

/// The folders of this run, for the program file's folder; the learner data folder is made
/// when it is used and missing.
ProgramFolders RunFolders();

/// The welcome video: "lrtz.avi" by its bare name when the current folder has it (the
/// program was started in its own folder), else the data folder's copy.
QString WelcomeVideo(const ProgramFolders& folders);
