#include "host/folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Folders : public ::testing::Test {
protected:
    QString Make(const QString& relative) {
        const QString path = root_.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path + QLatin1Char('/');
    }
    void Catalogue(const QString& dir) {
        QFile file(dir + QStringLiteral("Ebook.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("GRE\r\n");
    }
    static ProgramFolders Decide(const QString& program, bool writable, const QString& home) {
        return DecideFolders(program, QStringLiteral("../share/langjitong"), home,
                             [writable](const QString&) { return writable; });
    }
    QTemporaryDir root_;
};

TEST_F(Folders, EachLayoutReadsAndWritesWhereItShould) {
    const QString home = Make(QStringLiteral("home/.local/share/langjitong"));
    const QString built = Make(QStringLiteral("build/AppDir"));
    Catalogue(built);
    const QString bin = Make(QStringLiteral("usr/bin"));
    const QString share = Make(QStringLiteral("usr/share/langjitong"));
    Catalogue(share);
    const QString bare = Make(QStringLiteral("elsewhere"));
    struct Case {
        const char* what;
        QString program;
        bool writable;
        QString data;
        QString learner;
    };
    const Case cases[] = {
        // As after scripts/run: everything stays beside the program, as it always has.
        {"writable program folder with its data", built, true, built, built},
        {"read-only program folder with its data", built, false, built, home},
        // Installed under a prefix: data from share/langjitong, writes to the home folder,
        // whether or not the program's folder could be written (root may write /usr/bin).
        {"installed", bin, false, share, home},
        {"installed, run by root", bin, true, share, home},
        {"no data anywhere", bare, true, bare, bare},
    };
    for (const Case& c : cases) {
        const ProgramFolders folders = Decide(c.program, c.writable, home);
        EXPECT_EQ(folders.dataDir, c.data) << c.what;
        EXPECT_EQ(folders.learnerDir, c.learner) << c.what;
    }
    // Without its trailing "/" the program folder is the same folder.
    EXPECT_EQ(Decide(bin.chopped(1), false, home.chopped(1)).learnerDir, home);
}

TEST_F(Folders, TheLearnerDataFolderFollowsTheDesktopConventions) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", root_.filePath(QStringLiteral("xdg")).toUtf8());
    EXPECT_EQ(LearnerDataHome(), root_.filePath(QStringLiteral("xdg/langjitong/")));
    if (saved.isNull()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", saved);
    }
}

TEST_F(Folders, TheWelcomeVideoIsFoundFromAnyCurrentFolder) {
    const QString data = Make(QStringLiteral("data"));
    const ProgramFolders folders{data, data};
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root_.path()));
    EXPECT_EQ(WelcomeVideo(folders), data + QStringLiteral("lrtz.avi"));
    ASSERT_TRUE(QDir::setCurrent(data));
    QFile(QStringLiteral("lrtz.avi")).open(QIODevice::WriteOnly);
    EXPECT_EQ(WelcomeVideo(folders), QStringLiteral("lrtz.avi"));
    QDir::setCurrent(before);
}

} // namespace
