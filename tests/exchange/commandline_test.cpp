#include "app/commandline.h"

#include "core/learnerfiles.h"
#include "core/textfile.h"
#include "host/folders.h"
#include "host/learnerlock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Installed layout: the data folder is read only by convention, the learner's files and own
// banks live in a folder of their own.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        folders_.dataDir = root_.filePath(QStringLiteral("share/langjitong/"));
        folders_.learnerDir = root_.filePath(QStringLiteral("home/langjitong/"));
        QDir().mkpath(folders_.dataDir + QStringLiteral("Worddata"));
        QDir().mkpath(folders_.learnerDir);
        Write(folders_.dataDir + "Ebook.txt", {"GRE"});
        Write(folders_.dataDir + "Worddata/GRE.dst", {"abate[E'beit]v.减轻"});
        ASSERT_TRUE(core::CreateLearnerFiles(Learner(), "小明"));
        Write(Learner() + "小明/小明1.bm", {"cat[kAt]n.猫", "dog[dCg]n.狗"});
        Write(Learner() + "小明/小明2.bm", {"think[WiNk]v.想", "broken line"});
        Write(Learner() + "小明/小明3.bm", {"CAT[kAt]n.猫", "ice cream['ais kri:m]n.冰淇淋"});
        ASSERT_TRUE(core::CreateLearnerFiles(Learner(), "小红"));
        Write(Learner() + "小红/小红2.bm", {"dog[dCg]n.狗"});
    }
    std::string Learner() const { return folders_.learnerDir.toStdString(); }
    static void Write(const QString& path, const Lines& lines) {
        ASSERT_TRUE(core::WriteTextLines(path.toStdString(), lines)) << path.toStdString();
    }
    static void Write(const std::string& path, const Lines& lines) {
        Write(QString::fromStdString(path), lines);
    }
    static Lines Read(const QString& path) {
        Lines lines;
        EXPECT_TRUE(core::ReadTextLines(path.toStdString(), lines)) << path.toStdString();
        return lines;
    }
    QString File(const char* name) const { return root_.filePath(QString::fromUtf8(name)); }

    /// Runs the command; out_ and err_ hold what it wrote.
    int Run(QStringList arguments) {
        out_.clear();
        err_.clear();
        arguments.prepend(QStringLiteral("langjitong"));
        QTextStream out(&out_);
        QTextStream err(&err_);
        return RunCommand(arguments, folders_, out, err);
    }

    QTemporaryDir root_;
    ProgramFolders folders_;
    QString out_;
    QString err_;
};

TEST_F(CommandLine, OnlyItsOwnOptionsTakeTheWindowsAway) {
    struct Case {
        QStringList arguments;
        bool command;
    };
    const Case cases[] = {
        {{}, false},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen")}, false},
        {{QStringLiteral("-h")}, true},
        {{QStringLiteral("--help")}, true},
        {{QStringLiteral("--export=小明"), QStringLiteral("a.csv")}, true},
        {{QStringLiteral("--to-list"), QStringLiteral("x")}, true},
        {{QStringLiteral("--exports")}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WantsCommand(QStringList{QStringLiteral("langjitong")} + c.arguments), c.command)
            << c.arguments.join(' ').toStdString();
    }
}

TEST_F(CommandLine, TheWindowsTakeOneFileAndRefuseUnknownOptions) {
    struct Case {
        QStringList arguments; // what Qt left
        int status;
        QString file;
        const char* says; // on the error stream
    };
    const Case cases[] = {
        {{}, 0, {}, ""},
        {{"单词.kvtml"}, 0, "单词.kvtml", ""},
        {{"--", "-奇怪.csv"}, 0, "-奇怪.csv", ""},
        {{"-"}, 0, "-", ""},
        {{"--exports"}, 2, {}, "--exports"},
        {{"-x", "a.csv"}, 2, {}, "-x"},
        {{"a.csv", "b.csv"}, 2, {}, "b.csv"},
    };
    for (const Case& c : cases) {
        QString error;
        QTextStream err(&error);
        QString file = QStringLiteral("left over");
        const int status =
            ReadWindowArguments(QStringList{QStringLiteral("langjitong")} + c.arguments, file, err);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(file, c.file);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says)));
        // Wrong use shows the usage; right use says nothing.
        EXPECT_EQ(error.contains(QStringLiteral("用法：")), c.status != 0) << error.toStdString();
    }
}

TEST_F(CommandLine, WrongUseIsExplainedAndChangesNothing) {
    struct Case {
        QStringList arguments;
        int status;
        const char* says;
    };
    const QString out = File("out.csv");
    const QString in = File("in.csv");
    const Case cases[] = {
        {{"--help"}, 0, "--export 学员"},
        {{"--version"}, 0, "朗记通"},
        {{"--bogus"}, 2, "bogus"},
        {{"--export"}, 2, "export"},
        {{"--export", "小明"}, 2, "输出文件"},
        {{"--export", "小明", "--list", "old", out}, 2, "--list"},
        {{"--export", "小明", File("out.doc")}, 2, "--format"},
        {{"--export", "小明", "--format", "xls", out}, 2, "--format"},
        {{"--export", "小明", "--bank", "b", out}, 2, "--bank"},
        {{"--import", in}, 2, "--bank"},
        {{"--import", in, "--bank", "b", "--to-list", "小明"}, 2, "--bank"},
        {{"--export", "小明", "--import", in}, 2, "--import"},
        {{"--list", "all"}, 2, "--export"},
        {{"--export", "小刚", out}, 1, "没有名为“小刚”的学员"},
        {{"--export", "../小明", out}, 1, "学员名字"},
        {{"--import", in, "--bank", "b"}, 1, "in.csv"},
        {{"--import", in, "--to-list", "小刚"}, 1, "in.csv"},
    };
    for (const Case& c : cases) {
        const int status = Run(c.arguments);
        EXPECT_EQ(status, c.status) << c.arguments.join(' ').toStdString();
        const QString said = status == 0 ? out_ : err_;
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says)))
            << c.arguments.join(' ').toStdString() << ": " << said.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(QFile::exists(folders_.learnerDir + "Ebook.txt"));
    EXPECT_TRUE(out_.isEmpty() || !out_.contains(QStringLiteral("已")));
}

TEST_F(CommandLine, OneListLeavesAsCsvWithRealIpa) {
    const QString out = File("已掌握.csv");
    ASSERT_EQ(Run({"--export", "小明", "--list", "mastered", "--format", "csv", out}), 0)
        << err_.toStdString();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xEF\xBB\xBFword,ipa,meaning\r\nthink,θiŋk,v.想\r\n"));
    EXPECT_TRUE(out_.contains(QStringLiteral("1个单词")));
    EXPECT_TRUE(out_.contains(QStringLiteral("有1行")));
}

TEST_F(CommandLine, TheStudyHistoryLeavesAsCsvWithWhatWasSkippedSaid) {
    {
        QFile history(QString::fromStdString(core::LearnerHistoryPath(Learner(), "小明")));
        ASSERT_TRUE(history.open(QIODevice::WriteOnly));
        history.write(
            "1\t1000\tanswer\tchoice\tcat\twrong\nrubbish\n1\t2000\tscore\tthink\t80\tθ\n");
    }
    const QString out = File("记录.csv");
    ASSERT_EQ(Run({"--export", "小明", "--list", "history", out}), 0) << err_.toStdString();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = file.readAll().split('\n');
    ASSERT_EQ(rows.size(), 4); // title, two events, the end of the last line
    EXPECT_EQ(rows[1], QByteArray("1970-01-01T00:00:01.000Z,answer,choice,cat,wrong,,,,,,,,\r"));
    EXPECT_TRUE(out_.contains(QStringLiteral("2条学习记录")));
    EXPECT_TRUE(out_.contains(QStringLiteral("有1行")));
    // Another format is refused before anything is written.
    EXPECT_EQ(Run({"--export", "小明", "--list", "history", "--format", "kvtml", File("h.kvtml")}),
              2);
    EXPECT_FALSE(QFile::exists(File("h.kvtml")));
}

// Export, then import as a bank and into another learner's new words, in every format.
TEST_F(CommandLine, ExportedListsComeBackThroughEveryFormat) {
    const char* files[] = {"all.csv", "all.txt", "all.kvtml"};
    const Lines everything = {"cat[kAt]n.猫", "dog[dCg]n.狗", "think[WiNk]v.想",
                              "ice cream['ais kri:m]n.冰淇淋"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        const QString bank = QString::fromUtf8(file).replace('.', '_');
        ASSERT_EQ(Run({"--export", "小明", File(file)}), 0) << err_.toStdString();
        EXPECT_TRUE(out_.contains(QStringLiteral("5个单词")));
        ASSERT_EQ(Run({"--import", File(file), "--bank", bank}), 0) << err_.toStdString();
        EXPECT_TRUE(out_.contains(QStringLiteral("共4个单词")));
        EXPECT_EQ(Read(folders_.learnerDir + "Worddata/" + bank + ".dst"), everything);
    }
    // The learner's own catalogue lists the three banks; the installed one is untouched.
    EXPECT_EQ(Read(folders_.learnerDir + "Ebook.txt"), (Lines{"all_csv", "all_txt", "all_kvtml"}));
    EXPECT_EQ(Read(folders_.dataDir + "Ebook.txt"), Lines{"GRE"});
    EXPECT_EQ(Run({"--import", File("all.csv"), "--bank", "GRE"}), 1);
    EXPECT_TRUE(err_.contains(QStringLiteral("已经有名为“GRE”的词库")));

    // 小红 has mastered "dog": only the other three become new words, once each.
    ASSERT_EQ(Run({"--import", File("all.kvtml"), "--to-list", "小红"}), 0) << err_.toStdString();
    EXPECT_EQ(Read(folders_.learnerDir + "小红/小红1.bm"),
              (Lines{"cat[kAt]n.猫", "think[WiNk]v.想", "ice cream['ais kri:m]n.冰淇淋"}));
    EXPECT_EQ(Read(folders_.learnerDir + "小红/小红2.bm"), Lines{"dog[dCg]n.狗"});
    ASSERT_EQ(Run({"--import", File("all.txt"), "--to-list", "小红"}), 0);
    EXPECT_EQ(Read(folders_.learnerDir + "小红/小红1.bm").size(), 3u);
    EXPECT_TRUE(out_.contains(QStringLiteral("已把0个单词")));
}

TEST_F(CommandLine, ABadFileNamesItsLineAndWritesNothing) {
    const QString in = File("bad.csv");
    ASSERT_TRUE(core::WriteFileAtomic(in.toStdString(), "word,meaning\ncat,n.猫\n,n.空\n"));
    EXPECT_EQ(Run({"--import", in, "--bank", "坏"}), 1);
    EXPECT_TRUE(err_.contains(QStringLiteral("第3行的单词是空的"))) << err_.toStdString();
    EXPECT_EQ(Run({"--import", in, "--to-list", "小明"}), 1);
    EXPECT_FALSE(QFile::exists(folders_.learnerDir + "Worddata/坏.dst"));
    EXPECT_FALSE(QFile::exists(folders_.learnerDir + "Ebook.txt"));
    EXPECT_EQ(Read(folders_.learnerDir + "小明/小明1.bm"), (Lines{"cat[kAt]n.猫", "dog[dCg]n.狗"}));
}

// The program itself, as a second process, while the learner is signed in elsewhere (this
// process holds the learner's lock as the signed-in window does): the lists are neither
// changed nor read, and the command works once the learner has left.
TEST_F(CommandLine, ASignedInLearnersListsAreLeftToTheProgram) {
    // The program runs from a folder of its own that holds the data and the learner.
    const QString program = root_.filePath(QStringLiteral("prog/"));
    QDir().mkpath(program + "Worddata");
    ASSERT_TRUE(QFile::copy(QStringLiteral(LJT_PROGRAM), program + "langjitong"));
    QFile::setPermissions(program + "langjitong",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Write(program + "Ebook.txt", {"GRE"});
    ASSERT_TRUE(core::CreateLearnerFiles(program.toStdString(), "小明"));
    Write(program + "小明/小明1.bm", {"cat[kAt]n.猫"});
    const QString in = File("words.csv");
    ASSERT_TRUE(core::WriteFileAtomic(in.toStdString(), "word,meaning\nsun,n.太阳\n"));
    const auto run = [&](const QStringList& arguments, QString& err) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The leak checker of a sanitizer build speaks for the program's own run, not this test.
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        process.setProcessEnvironment(env);
        process.start(program + "langjitong", arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    const QString list = program + "小明/小明1.bm";
    const QByteArray before = [&] {
        QFile f(list);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    auto signedIn = std::make_unique<LearnerLock>();
    ASSERT_EQ(signedIn->Take(program + "小明"), LearnerLock::Outcome::Taken);
    struct Case {
        QStringList arguments;
    };
    const Case refused[] = {
        {{"--import", in, "--to-list", "小明"}},
        {{"--export", "小明", File("out.csv")}},
    };
    for (const Case& c : refused) {
        QString err;
        EXPECT_EQ(run(c.arguments, err), 1) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("学员“小明”正在朗记通中学习")))
            << err.toStdString();
    }
    QFile after(list);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_FALSE(QFile::exists(File("out.csv")));

    signedIn.reset(); // the learner leaves
    QString err;
    EXPECT_EQ(run({"--import", in, "--to-list", "小明"}, err), 0) << err.toStdString();
    EXPECT_EQ(Read(list), (Lines{"cat[kAt]n.猫", "sun[]n.太阳"}));
}

// The commands run on Qt Core alone: the program opens no window, sound, speech or scoring
// library for them (the dynamic loader's own log lists every library started in the process).
TEST_F(CommandLine, CommandsLoadNoWindowOrSoundLibrary) {
    const QString missing = File("missing.csv");
    const QStringList commands[] = {
        {"--help"},
        {"--version"},
        {"--export", "没有的学员", File("out.csv")},
        {"--import", missing, "--bank", "词库"},
    };
    const char* const unwanted[] = {
        "libQt6Gui", "libQt6Widgets",   "libQt6Multimedia", "libespeak",  "libpulse", "libgst",
        "libaubio",  "libpocketsphinx", "liblapack",        "windows.so", "sound.so", "scorer.so"};
    for (const QStringList& arguments : commands) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("libs"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), root_.filePath(QStringLiteral("xdg")));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(LJT_PROGRAM), arguments);
        ASSERT_TRUE(process.waitForFinished(60000)) << arguments.join(' ').toStdString();
        QStringList started;
        for (const QString& line :
             QString::fromLocal8Bit(process.readAllStandardError()).split('\n')) {
            if (line.contains(QStringLiteral("calling init:"))) {
                started << line.section(QStringLiteral("calling init:"), 1).trimmed();
            }
        }
        const std::string what = arguments.join(' ').toStdString();
        EXPECT_TRUE(started.filter(QStringLiteral("libQt6Core")).size() == 1)
            << what << ": the loader's log lists " << started.join(' ').toStdString();
        for (const char* library : unwanted) {
            EXPECT_TRUE(started.filter(QLatin1String(library)).isEmpty())
                << what << " loads " << library;
        }
    }
}

} // namespace
