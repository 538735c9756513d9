#include "host/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString WithSlash(QString dir) {
    if (!dir.endsWith(QLatin1Char('/'))) {
        dir += QLatin1Char('/');
    }
    return dir;
}

bool HoldsData(const QString& dir) {
    return QFileInfo::exists(dir + QStringLiteral("Ebook.txt"));
}

} // namespace

ProgramFolders DecideFolders(const QString& programDir, const QString& dataFromProgram,
                             const QString& learnerDataHome,
                             const std::function<bool(const QString&)>& writable) {
    const QString program = WithSlash(programDir);
    if (HoldsData(program)) {
        // The program runs from its own folder: where it may write, it keeps everything
        // beside itself as it always has.
        return {program, writable(program) ? program : WithSlash(learnerDataHome)};
    }
    const QString installed =
        WithSlash(QDir::cleanPath(QDir(program).absoluteFilePath(dataFromProgram)));
    if (HoldsData(installed)) {
        return {installed, WithSlash(learnerDataHome)};
    }
    return {program, program};
}

QString LearnerDataHome() {
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           QStringLiteral("langjitong/");
}

ProgramFolders RunFolders() {
    const ProgramFolders folders = DecideFolders(
        QCoreApplication::applicationDirPath(), QStringLiteral(LJT_DATA_FROM_PROGRAM),
        LearnerDataHome(), [](const QString& dir) { return QFileInfo(dir).isWritable(); });
    if (folders.learnerDir != folders.dataDir) {
        QDir().mkpath(folders.learnerDir);
    }
    return folders;
}

QString WelcomeVideo(const ProgramFolders& folders) {
    const QString bare = QStringLiteral("lrtz.avi");
    return QFileInfo::exists(bare) ? bare : folders.dataDir + bare;
}
