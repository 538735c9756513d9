#include "shellfixture.h"

#include "host/learnerlock.h"
#include "learner/wordfriend.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString UnknownName = QStringLiteral(
    "欢迎您和我学英语，\r\n\r\n    在我的印象中没有见过您的名字。 \r\n\r\n    做个新朋友吧！");
const QString SameName = QStringLiteral(
    "您和我的老朋友同名。\r\n\r\n    这样不行，你得另起一个名字!  \r\n\r\n    谢谢！");

class SignInTest : public ShellTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        MakeLearner("Bob", {"apple[Apl]n.苹果"}, {"cat[kAt]n.猫"}, {});
    }

    /// A shown sign-in window whose controls are ready.
    std::unique_ptr<Twordfriend> Open(SignInOptions options = NoVideo(),
                                      LearnerLock* lock = nullptr) {
        auto signIn =
            std::make_unique<Twordfriend>(state_, clock_, messages_, options, nullptr, lock);
        signIn->show();
        return signIn;
    }
    static SignInOptions NoVideo() {
        SignInOptions options;
        options.playVideo = false;
        return options;
    }
    QStringList Entries() const {
        return QDir(appDir_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }
};

struct NameCase {
    const char* typed;
    const char* button;
    bool closes;
    const char* learner;    // LearnerName afterwards
    int returning;          // ReturningLearner afterwards
    const QString* message; // the message shown, if any
    bool refused;           // an unsafe name: a refusal message
};

TEST_F(SignInTest, NamesAndButtons) {
    const NameCase cases[] = {
        {"Bob", "SbOpen1", true, "Bob", 1, nullptr, false},
        {"Ann", "SbOpen1", false, "Ann", 0, &UnknownName, false},
        {"Bob ", "SbOpen1", false, "Bob ", 0, &UnknownName, false},
        {"Ann", "SBfriend", true, "Ann", 0, nullptr, false},
        {"Bob", "SBfriend", false, "Bob", 0, &SameName, false},
        {"", "SbOpen1", false, "", 0, nullptr, false},
        {"", "SBfriend", false, "", 0, nullptr, false},
        {"../evil", "SBfriend", false, "", 0, nullptr, true},
        {"a/b", "SBfriend", false, "", 0, nullptr, true},
        {"..", "SbOpen1", false, "", 0, nullptr, true},
        {"x\\y", "SBfriend", false, "", 0, nullptr, true},
        {"   ", "SBfriend", false, "", 0, nullptr, true},
        {"\u3000\u200B", "SBfriend", false, "", 0, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " / " + c.button);
        state_.LearnerName.clear();
        state_.ReturningLearner = 0;
        messages_.Clear();
        const QStringList before = Entries();
        auto signIn = Open();
        ASSERT_TRUE(signIn->Ready());
        signIn->Edit1->setText(QString::fromUtf8(c.typed));
        signIn->findChild<QPushButton*>(QString::fromLatin1(c.button))->click();

        EXPECT_EQ(signIn->isVisible(), !c.closes);
        EXPECT_EQ(state_.LearnerName, c.learner);
        EXPECT_EQ(state_.ReturningLearner, c.returning);
        if (c.message != nullptr) {
            EXPECT_EQ(messages_.Texts(), QStringList{*c.message});
        } else if (c.refused) {
            ASSERT_EQ(messages_.Messages().size(), 1);
            EXPECT_TRUE(
                messages_.Texts().front().startsWith(QStringLiteral("这个名字不能用作学员名字")));
        } else {
            EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();
        }
        if (std::string(c.button) == "SBfriend" && c.closes) {
            // A new learner gets a folder with three empty list files.
            for (int i = 1; i <= 3; ++i) {
                const QString list = QStringLiteral("Ann/Ann%1.bm").arg(i);
                EXPECT_TRUE(Exists(list));
                EXPECT_TRUE(ReadBytes(list).isEmpty());
            }
            QDir(appDir_ + "Ann").removeRecursively();
        } else {
            EXPECT_EQ(Entries(), before) << "nothing is created";
        }
    }
    // The existing learner's files were never touched.
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), std::vector<std::string>{"apple[Apl]n.苹果"});
    EXPECT_EQ(ReadLines("Bob/Bob2.bm"), std::vector<std::string>{"cat[kAt]n.猫"});
    EXPECT_FALSE(QFileInfo::exists(dir_.path() + "/../evil"));
}

TEST_F(SignInTest, FolderWithoutNewWordFileIsReportedAndKeepsTheWindowOpen) {
    ASSERT_TRUE(QDir(appDir_).mkdir("Eve"));
    WriteLines("Eve/Eve2.bm", {"keep[ki:p]v.保持"});
    auto signIn = Open();
    signIn->Edit1->setText("Eve");
    signIn->SBfriend->click();
    EXPECT_TRUE(signIn->isVisible());
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_EQ(ReadLines("Eve/Eve2.bm"), std::vector<std::string>{"keep[ki:p]v.保持"});
    EXPECT_FALSE(Exists("Eve/Eve1.bm"));
}

TEST_F(SignInTest, LeavingClearsTheName) {
    auto signIn = Open();
    // A name refused a moment ago must not count as a learner when the window is left.
    signIn->Edit1->setText("Ann");
    signIn->SbOpen1->click();
    ASSERT_EQ(state_.LearnerName, "Ann");
    signIn->SBclose->click();
    EXPECT_FALSE(signIn->isVisible());
    EXPECT_EQ(state_.LearnerName, "");
    EXPECT_EQ(signIn->result(), QDialog::Rejected);

    auto other = Open();
    other->Edit1->setText("Ann");
    other->SbOpen1->click();
    other->close(); // closed by the window manager
    EXPECT_EQ(state_.LearnerName, "");
}

TEST_F(SignInTest, EnterSignsInOnlyOnceTheFieldIsWritable) {
    auto signIn = Open();
    signIn->Edit1->setText("Bob");
    signIn->Edit1->setReadOnly(true); // as while the video plays
    QTest::keyClick(signIn->Edit1, Qt::Key_Return);
    EXPECT_TRUE(signIn->isVisible());
    EXPECT_EQ(state_.LearnerName, "");

    signIn->Edit1->setReadOnly(false);
    QTest::keyClick(signIn->Edit1, Qt::Key_Return);
    EXPECT_FALSE(signIn->isVisible());
    EXPECT_EQ(state_.LearnerName, "Bob");
    EXPECT_EQ(state_.ReturningLearner, 1);
}

TEST_F(SignInTest, ALearnerSignedInWithAnotherCopyIsRefused) {
    LearnerLock otherCopy;
    ASSERT_EQ(otherCopy.Take(appDir_ + "Bob"), LearnerLock::Outcome::Taken);
    LearnerLock mine;
    auto signIn = Open(NoVideo(), &mine);
    signIn->Edit1->setText("Bob");
    signIn->SbOpen1->click();
    EXPECT_TRUE(signIn->isVisible());
    EXPECT_EQ(state_.LearnerName, "");
    EXPECT_FALSE(mine.Held());
    ASSERT_EQ(messages_.Texts().size(), 1);
    EXPECT_EQ(messages_.Texts().front(),
              QStringLiteral("学员“Bob”已经在另一个朗记通窗口中学习。\r\n\r\n    "
                             "同一个学员只能在一个窗口中学习，\r\n    请先关闭那个窗口，再登录。"));

    otherCopy.Release();
    signIn->SbOpen1->click();
    EXPECT_FALSE(signIn->isVisible());
    EXPECT_EQ(state_.LearnerName, "Bob");
    EXPECT_TRUE(mine.Held());

    // A new learner's folder is locked as soon as it is made.
    LearnerLock newcomer;
    auto second = Open(NoVideo(), &newcomer);
    second->Edit1->setText("Ann");
    second->SBfriend->click();
    EXPECT_TRUE(newcomer.Held());
}

TEST_F(SignInTest, ALockLeftByACopyThatEndedAbruptlyIsTakenOver) {
    const QString lockFile = appDir_ + "Bob/" + LearnerLock::FileName();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(lockFile);
        ::_exit(lock.tryLock(0) ? 0 : 1); // ends without releasing it, as a crash would
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(lockFile));

    LearnerLock mine;
    auto signIn = Open(NoVideo(), &mine);
    signIn->Edit1->setText("Bob");
    signIn->SbOpen1->click();
    EXPECT_FALSE(signIn->isVisible());
    EXPECT_EQ(state_.LearnerName, "Bob");
    EXPECT_TRUE(mine.Held());
    EXPECT_TRUE(messages_.Texts().isEmpty());
    mine.Release();

    // A copy killed before it wrote who it was leaves an empty lock file: taken over too.
    QFile empty(lockFile);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    ASSERT_TRUE(empty.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                  QFileDevice::FileModificationTime));
    empty.close();
    state_.LearnerName.clear();
    auto again = Open(NoVideo(), &mine);
    again->Edit1->setText("Bob");
    again->SbOpen1->click();
    EXPECT_FALSE(again->isVisible());
    EXPECT_TRUE(mine.Held());
}

TEST_F(SignInTest, EscDoesNotLeave) {
    auto signIn = Open();
    QTest::keyClick(signIn.get(), Qt::Key_Escape);
    EXPECT_TRUE(signIn->isVisible());
}

TEST_F(SignInTest, DateTimeLine) {
    struct Case {
        QDateTime when;
        const char* text;
    };
    const Case cases[] = {
        {QDateTime(QDate(2024, 12, 7), QTime(19, 5)),
         " 日期/时间：2024年12月7日,  周六,  07:05 PM"},
        {QDateTime(QDate(2025, 1, 20), QTime(0, 30)),
         " 日期/时间：2025年1月20日,  周一,  12:30 AM"},
        {QDateTime(QDate(2025, 6, 1), QTime(12, 0)), " 日期/时间：2025年6月1日,  周日,  12:00 PM"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Twordfriend::DateTimeLine(c.when).toStdString(), c.text);
    }
    // The line shown uses the injected clock.
    auto signIn = Open();
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1733600000);
    EXPECT_EQ(signIn->Label2->text(), Twordfriend::DateTimeLine(now));
}

TEST_F(SignInTest, ControlsWaitForTheVideoAndAppearWhenItCannotPlay) {
    // Without the video file the controls are there at once.
    SignInOptions missing;
    missing.videoFile = appDir_ + "no-such-video.avi";
    auto first = Open(missing);
    EXPECT_TRUE(first->Ready());
    EXPECT_TRUE(first->SbOpen1->isVisible());
    EXPECT_FALSE(first->Edit1->isReadOnly());
    first->close();

    // A file that is no video: the field is read-only and the buttons hidden until the
    // player gives up, then the controls appear.
    QFile broken(appDir_ + "lrtz.avi");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(4096, 'x'));
    broken.close();
    SignInOptions options;
    options.videoFile = appDir_ + "lrtz.avi";
    options.startTimeoutMs = 1500;
    auto second = Open(options);
    // The video comes up right after the window's first frame.
    EXPECT_EQ(second->MyPlayer1, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(second->FirstFrameDrawn() && second->MyPlayer1 != nullptr, 3000);
    if (!second->Ready()) {
        EXPECT_TRUE(second->Edit1->isReadOnly());
        EXPECT_FALSE(second->SbOpen1->isVisible());
    }
    QTRY_VERIFY_WITH_TIMEOUT(second->Ready(), 5000);
    EXPECT_FALSE(second->Edit1->isReadOnly());
    EXPECT_TRUE(second->SBfriend->isVisible());
    EXPECT_TRUE(second->SBclose->isVisible());
}

} // namespace
