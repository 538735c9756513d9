// The learner's lists at the window level: a failed close, signals, the periodic save, a list
// that failed to load, bytes that are no characters, blank lines and the backups.
#include "shellfixture.h"

#include "app/sessionguard.h"
#include "learner/backupform.h"
#include "learner/wordform.h"
#include "learner/wordstoreroom.h"
#include "modes/hereadform.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Kind = MessageRecorder::Kind;
using Lines = std::vector<std::string>;

const Lines Fresh = {"apple[Apl]n.苹果", "book[buk]n.书", "cat[kAt]n.猫"};

Lines ManyWords(int n) {
    Lines lines;
    for (int i = 0; i < n; ++i) {
        lines.push_back("word" + std::to_string(i) + "[wE:d]n.单词");
    }
    return lines;
}

class FileSafetyTest : public ShellTest {
protected:
    void SetUp() override { MakePictures(); }

    /// Signs Bob in on a new main window and moves "book" from the new words to the mastered.
    void SignInAndMasterBook(const Lines& mastered = {}) {
        shell_.reset();
        Settle();
        QDir(appDir_ + "Bob").removeRecursively();
        MakeLearner("Bob", Fresh, mastered, {});
        StartWith(QStringLiteral("Bob"), "SbOpen1");
        ASSERT_EQ(state_.LearnerName, "Bob");
        state_.ContentKind = core::StudyContent::NewWords;
        state_.WordCursor = 1;
        state_.FetchEntry();
        ASSERT_TRUE(state_.AddToMastered());
        state_.RemoveFromNew(1);
        messages_.Clear();
    }
    /// Every file and folder below the learner's folder with its contents.
    std::map<QString, QByteArray> Snapshot() const {
        std::map<QString, QByteArray> files;
        QDirIterator it(appDir_ + "Bob", QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            files[path] = it.fileInfo().isDir() || !file.open(QIODevice::ReadOnly)
                              ? QByteArray("<folder>")
                              : file.readAll();
        }
        return files;
    }
    QString Path(const char* relative) const { return appDir_ + QLatin1String(relative); }
};

TEST_F(FileSafetyTest, AFailedCloseTellsWhichFileKeepsTheWindowOpenAndChangesNothing) {
    const std::string mastered = Path("Bob/Bob2.bm").toStdString();
    const std::string folder = Path("Bob").toStdString();
    rlimit savedLimit{};
    struct sigaction savedAction {};
    struct Case {
        const char* name;
        std::function<bool()> make;
        std::function<void()> undo;
        const char* namedFile;
    };
    const Case cases[] = {
        {"mastered file read-only", [&] { return ::chmod(mastered.c_str(), 0444) == 0; },
         [&] { ::chmod(mastered.c_str(), 0644); }, "Bob2.bm"},
        {"disk full while the mastered file is written",
         [&] {
             struct sigaction ignore {};
             ignore.sa_handler = SIG_IGN;
             ::sigaction(SIGXFSZ, &ignore, &savedAction);
             ::getrlimit(RLIMIT_FSIZE, &savedLimit);
             rlimit small = savedLimit;
             small.rlim_cur = 2048;
             return ::setrlimit(RLIMIT_FSIZE, &small) == 0;
         },
         [&] {
             ::setrlimit(RLIMIT_FSIZE, &savedLimit);
             ::sigaction(SIGXFSZ, &savedAction, nullptr);
         },
         "Bob2.bm"},
        {"learner folder read-only", [&] { return ::chmod(folder.c_str(), 0555) == 0; },
         [&] { ::chmod(folder.c_str(), 0755); }, "Bob1.bm"},
    };
    for (const auto& c : cases) {
        SignInAndMasterBook(ManyWords(200));
        ASSERT_TRUE(c.make()) << c.name;
        const auto before = Snapshot();
        QSignalSpy closed(&Shell(), &TWordmemory::FormClosed);
        const bool closedNow = Shell().close();
        const auto after = Snapshot();
        c.undo();
        EXPECT_FALSE(closedNow) << c.name;
        EXPECT_TRUE(Shell().isVisible()) << c.name;
        EXPECT_EQ(closed.count(), 0) << c.name;
        const QStringList errors = messages_.Texts(Kind::Error);
        ASSERT_EQ(errors.size(), 1) << c.name;
        EXPECT_TRUE(errors.front().contains(QLatin1String(c.namedFile)))
            << c.name << ": " << errors.front().toStdString();
        EXPECT_TRUE(after == before) << c.name << ": something on disk changed";

        EXPECT_TRUE(Shell().close()) << c.name;
        EXPECT_EQ(ReadLines("Bob/Bob1.bm"), (Lines{"apple[Apl]n.苹果", "cat[kAt]n.猫"})) << c.name;
        EXPECT_EQ(ReadLines("Bob/Bob2.bm").back(), "book[buk]n.书") << c.name;
    }
}

TEST_F(FileSafetyTest, SignalsCloseTheWindowAfterSavingTheLists) {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SignInAndMasterBook();
        SessionGuard guard(Shell());
        QSignalSpy closed(&Shell(), &TWordmemory::FormClosed);
        ::raise(signal);
        EXPECT_TRUE(QTest::qWaitFor([&] { return closed.count() == 1; }, 5000))
            << "signal " << signal;
        EXPECT_EQ(ReadLines("Bob/Bob2.bm"), Lines{"book[buk]n.书"}) << "signal " << signal;
        EXPECT_FALSE(Shell().Lock().Held());
    }
    // A save that fails keeps the window open, with the error shown, as a close by hand does.
    SignInAndMasterBook();
    SessionGuard guard(Shell());
    QSignalSpy handled(&guard, &SessionGuard::SignalHandled);
    const std::string mastered = Path("Bob/Bob2.bm").toStdString();
    ::chmod(mastered.c_str(), 0444);
    ::raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return handled.count() == 1; }, 5000));
    ::chmod(mastered.c_str(), 0644);
    EXPECT_TRUE(Shell().isVisible());
    EXPECT_EQ(messages_.Texts(Kind::Error).size(), 1);
}

TEST_F(FileSafetyTest, ThePeriodicSaveIsInvisibleAndReportsAFailureOnce) {
    SignInAndMasterBook();
    QTimer* autosave = Shell().AutosaveTimer();
    EXPECT_TRUE(autosave->isActive()) << "the first change starts it";
    EXPECT_TRUE(autosave->isSingleShot());
    EXPECT_EQ(autosave->interval(), 60000);
    QSignalSpy saved(&Shell(), &TWordmemory::ListsSaved);
    autosave->start(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return saved.count() == 1; }, 5000));
    EXPECT_EQ(ReadLines("Bob/Bob2.bm"), Lines{"book[buk]n.书"});
    EXPECT_FALSE(autosave->isActive());
    EXPECT_TRUE(messages_.Texts().isEmpty()) << "saving is invisible";

    // Failures: one message for a row of them; the timer tries again.
    const std::string mastered = Path("Bob/Bob2.bm").toStdString();
    ::chmod(mastered.c_str(), 0444);
    state_.CurrentEntry = "apple[Apl]n.苹果";
    ASSERT_TRUE(state_.AddToMastered());
    for (int attempt = 0; attempt < 3; ++attempt) {
        autosave->start(10);
        QTest::qWait(50);
    }
    ::chmod(mastered.c_str(), 0644);
    EXPECT_EQ(messages_.Texts(Kind::Error).size(), 1);
    EXPECT_TRUE(autosave->isActive());
    autosave->start(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return saved.count() == 2; }, 5000));
    EXPECT_EQ(ReadLines("Bob/Bob2.bm"), (Lines{"book[buk]n.书", "apple[Apl]n.苹果"}));
    EXPECT_EQ(messages_.Texts(Kind::Error).size(), 1);
}

TEST_F(FileSafetyTest, AListThatFailedToLoadIsLeftAloneAndTheRestIsSavedAtClose) {
    MakeLearner("Bob", Fresh, {}, {});
    ASSERT_TRUE(QFile::remove(Path("Bob/Bob3.bm")));
    ASSERT_TRUE(QDir(appDir_).mkpath("Bob/Bob3.bm"));
    StartWith(QStringLiteral("Bob"), "SbOpen1");
    ASSERT_EQ(messages_.Texts(Kind::Error).size(), 1);
    state_.CurrentEntry = "book[buk]n.书";
    ASSERT_TRUE(state_.AddToMastered());
    state_.RemoveFromNew(1);
    // A word for the list that did not load cannot be saved while its file is unreadable.
    state_.CurrentEntry = "cat[kAt]n.猫";
    ASSERT_TRUE(state_.AddToReview());
    messages_.Clear();
    EXPECT_FALSE(Shell().close());
    ASSERT_EQ(messages_.Texts(Kind::Error).size(), 1);
    EXPECT_TRUE(messages_.Texts(Kind::Error).front().contains(QLatin1String("Bob3.bm")));

    ASSERT_TRUE(QDir(Path("Bob/Bob3.bm")).removeRecursively());
    EXPECT_TRUE(Shell().close());
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), (Lines{"apple[Apl]n.苹果", "cat[kAt]n.猫"}));
    EXPECT_EQ(ReadLines("Bob/Bob2.bm"), Lines{"book[buk]n.书"});
    EXPECT_EQ(ReadLines("Bob/Bob3.bm"), Lines{"cat[kAt]n.猫"});
}

TEST_F(FileSafetyTest, LinesTheProgramDidNotChangeKeepEveryByte) {
    MakeLearner("Bob", {}, {}, {});
    const QByteArray untouched = QByteArray("price[praIs]n.\x80"
                                            "5\r\n") +
                                 QByteArray("odd\xFF\xA2\xE3[x]n.\r\n");
    QFile file(Path("Bob/Bob1.bm"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("apple[Apl]n.\xC6\xBB\xB9\xFB\r\n") + untouched);
    file.close();
    StartWith(QStringLiteral("Bob"), "SbOpen1");
    EXPECT_EQ(state_.NewList.Line(1), "price[praIs]n.€5");
    state_.CurrentEntry = state_.NewList.Line(0);
    ASSERT_TRUE(state_.AddToMastered());
    state_.RemoveFromNew(0);
    ASSERT_TRUE(Shell().close());
    EXPECT_EQ(ReadBytes("Bob/Bob1.bm"), untouched);
    EXPECT_EQ(ReadBytes("Bob/Bob2.bm"), QByteArray("apple[Apl]n.\xC6\xBB\xB9\xFB\r\n"));
}

TEST_F(FileSafetyTest, ABlankLineNeverEndsTheCards) {
    MakeLearner("Bob", {"apple[Apl]n.苹果", "   ", "cat[kAt]n.猫"}, {}, {});
    RegisterCardWindow(Shell());
    speech_.SetSpeakingAfterSpeak(false);
    StartWith(QStringLiteral("Bob"), "SbOpen1");
    EXPECT_EQ(Shell().WordForm1()->TcNewLearnlist->count(), 2);
    auto* cards = qobject_cast<THeReadForm1*>(Shell().SlotWindow(ModeSlot::Cards));
    ASSERT_NE(cards, nullptr);
    state_.ContentKind = core::StudyContent::NewWords;
    state_.WordCursor = 0;
    Shell().Btfollow->click();
    EXPECT_TRUE(cards->Label1->text().contains(QLatin1String("apple")));
    cards->BtMyknow->click();
    cards->BtAlreadyMastery1->click(); // apple is mastered and leaves the list
    EXPECT_TRUE(cards->Label1->text().contains(QLatin1String("cat")))
        << cards->Label1->text().toStdString();
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();
}

/// Runs action on the backup window as soon as it is shown.
void WhenBackupsShown(std::function<void(TBackupForm&)> action) {
    auto* poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        auto* form = qobject_cast<TBackupForm*>(QApplication::activeModalWidget());
        if (form == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(*form);
    });
    poll->start();
}

TEST_F(FileSafetyTest, TheWordBankWindowRestoresAChosenBackup) {
    SignInAndMasterBook();
    Shell().SpeedButton12->click();
    TWordstoreroom1* bank = Shell().Wordstoreroom1();
    ASSERT_NE(bank, nullptr);
    EXPECT_EQ(bank->restoreBackup->text(), QStringLiteral("恢复备份"));
    bank->restoreBackup->click();
    EXPECT_EQ(messages_.Texts(Kind::Inform).size(), 1) << "no backup yet";
    messages_.Clear();

    // Two saves: the first keeps the lists as they were at sign-in, the second those after
    // book was mastered.
    ASSERT_TRUE(Shell().SaveLists(TWordmemory::SaveReport::Always));
    clock_.Advance(std::chrono::seconds(2));
    state_.CurrentEntry = "cat[kAt]n.猫";
    ASSERT_TRUE(state_.AddToReview());
    ASSERT_TRUE(Shell().SaveLists(TWordmemory::SaveReport::Always));
    QStringList rows;
    WhenBackupsShown([&rows](TBackupForm& form) {
        for (int i = 0; i < form.ListBox1->count(); ++i) {
            rows << form.ListBox1->item(i)->text();
        }
        EXPECT_FALSE(form.Restore1->isEnabled()) << "nothing chosen yet";
        form.ListBox1->setCurrentRow(form.ListBox1->count() - 1); // the oldest
        form.Restore1->click();
    });
    bank->restoreBackup->click();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[1].contains(QStringLiteral("未学的单词 3    已掌握单词 0    需复习单词 0")))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[0].contains(QStringLiteral("未学的单词 2    已掌握单词 1    需复习单词 0")))
        << rows[0].toStdString();
    EXPECT_EQ(state_.NewList.Lines(), Fresh);
    EXPECT_TRUE(state_.MasteredList.empty());
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), Fresh);
    EXPECT_EQ(Shell().LBzhongCount->text(), QStringLiteral("单词总数量3个"));
    ASSERT_EQ(messages_.Texts(Kind::Inform).size(), 1);
    EXPECT_TRUE(messages_.Texts(Kind::Inform).front().startsWith(QStringLiteral("已恢复")));
    // The lists just before the restore are the newest backup now.
    const auto backups = state_.Backups();
    ASSERT_FALSE(backups.empty());
    EXPECT_EQ(backups.front().words, (std::array<std::size_t, 3>{2, 1, 1}));

    // Cancelling restores nothing.
    const QByteArray before = ReadBytes("Bob/Bob1.bm");
    WhenBackupsShown([](TBackupForm& form) { form.Cancel1->click(); });
    bank->restoreBackup->click();
    EXPECT_EQ(ReadBytes("Bob/Bob1.bm"), before);
}

} // namespace
