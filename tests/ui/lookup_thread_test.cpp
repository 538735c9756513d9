// The lookup's threads: many quick requests, windows closed in the middle of a search, an
// unreadable bank, one index searched from several threads. Built with the program's own
// libraries below the main window only, so that the thread-sanitizer build of these tests
// stays small; the main window is stood in for by a host that offers just what the lookup
// window uses.
#include "core/lookupindex.h"
#include "core/textfile.h"
#include "modes/lookupsession.h"
#include "modes/wordsentenceforrm.h"
#include "modes/wselect.h"
#include "sound/uiworker.h"
#include "support/stubmodehost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class LookupThreads : public ::testing::Test {
protected:
    LookupThreads() {
        appDir = dir.path().toStdString() + "/";
        host.state.AppDir = appDir;
        QDir().mkpath(dir.filePath(QStringLiteral("Worddata")));
        // Banks and corpus large enough that reading and indexing them takes a while, so that
        // requests and closes really meet a running search.
        std::vector<std::string> bank;
        std::vector<std::string> sentences;
        for (int i = 0; i < 20000; ++i) {
            // Appended: `"w" + std::to_string(i)` draws a false -Wrestrict from GCC 12 at -O3.
            const std::string word = std::string("w").append(std::to_string(i));
            bank.push_back(word + "[x]n.词" + std::to_string(i % 97) + "号");
            sentences.push_back("A " + word + " here.‖一个词" + std::to_string(i % 89) + "。");
        }
        bank.push_back("cat[kAt]n.猫");
        sentences.push_back("A cat sat.‖一只猫坐着。");
        Write("Worddata/一.dst", bank);
        Write("Worddata/二.dst", {"dog[dCg]n.狗", "cat[kAt]n.猫科"});
        Write("Worddata/sentence34085.txt", sentences);
        RegisterLookupWindow(host);
    }
    void Write(const std::string& relative, const std::vector<std::string>& lines) {
        ASSERT_TRUE(core::WriteTextLines(appDir + relative, lines));
    }
    /// A lookup window made the way the main window makes it and started. It is not shown:
    /// painting would start the toolkit's own threads, whose inner workings the sanitizer
    /// cannot see, and the searches do not depend on it.
    std::unique_ptr<TWordSentenceForrm> Open() {
        ModeWindow* mode = host.Open(ModeButton::closelookword, false);
        return std::unique_ptr<TWordSentenceForrm>(
            static_cast<TWordSentenceForrm*>(mode->Widget()));
    }
    static bool WaitIdle(TWordSentenceForrm& w) {
        return QTest::qWaitFor([&w] { return !w.SearchBusy(); }, 20000);
    }

    QTemporaryDir dir;
    std::string appDir;
    StubModeHost host;
};

TEST_F(LookupThreads, AThousandQuickRequestsEndWithTheLatestShown) {
    auto w = Open();
    std::mt19937 rng(5);
    const char* words[] = {"cat", "dog", "w17", "猫", "号", "w19999", "nothing"};
    for (int k = 0; k < 1000; ++k) {
        w->Edit1->setText(QString::fromUtf8(words[rng() % 7]));
        w->BiInput1Click();
        if (rng() % 8 == 0) {
            QCoreApplication::processEvents(); // some requests meet a finished search
        }
    }
    w->Edit1->setText(QStringLiteral("cat"));
    w->BiInput1Click();
    ASSERT_TRUE(WaitIdle(*w)) << "stuck busy";
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("cat"));
    EXPECT_EQ(w->RichEdit2->toPlainText(), QStringLiteral(" A cat sat.\n   一只猫坐着。"));
    EXPECT_EQ(host.messages.Texts().join(QLatin1Char('|')).toStdString(), "");
}

TEST_F(LookupThreads, WindowsClosedInTheMiddleOfASearch) {
    std::mt19937 rng(9);
    for (int round = 0; round < 30; ++round) {
        auto w = Open();
        w->Edit1->setText(QStringLiteral("cat"));
        w->BiInput1Click();
        // Close after a varying number of event-loop turns: while the texts are read, while
        // they are indexed, while the result waits in the queue, or after it was shown.
        for (unsigned turns = rng() % 6; turns > 0; --turns) {
            QTest::qWait(static_cast<int>(rng() % 20));
        }
        if (round % 2 == 0) {
            w->close(); // the close button's way
        }
        w.reset();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(host.messages.Messages().isEmpty());
}

TEST_F(LookupThreads, UnreadableBankIsReportedOnceAndNothingHangs) {
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")),
                            dir.filePath(QStringLiteral("Worddata/三.dst"))));
    auto w = Open();
    for (const char* word : {"cat", "dog", "猫"}) {
        w->Edit1->setText(QString::fromUtf8(word));
        w->BiInput1Click();
        ASSERT_TRUE(WaitIdle(*w)) << "stuck busy after " << word;
        EXPECT_EQ(w->Edit1->text(), QString::fromUtf8(word));
    }
    ASSERT_EQ(host.messages.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_TRUE(host.messages.Texts()[0].contains(QStringLiteral("三.dst")));
}

// Mended: closing waited for the read of the sentence file to end, which for a never-ending
// file (here a pipe that a writer holds open and never fills) is never.
TEST_F(LookupThreads, ClosingNeverWaitsForAStuckCorpus) {
    const std::string corpus = appDir + "Worddata/sentence34085.txt";
    ASSERT_EQ(::unlink(corpus.c_str()), 0);
    ASSERT_EQ(::mkfifo(corpus.c_str(), 0600), 0);
    const int writer = ::open(corpus.c_str(), O_RDWR | O_CLOEXEC); // holds it open, writes nothing
    ASSERT_GE(writer, 0);
    auto w = Open();
    w->Edit1->setText(QStringLiteral("cat"));
    w->BiInput1Click();
    QTest::qWait(200); // the search is in the read now
    EXPECT_TRUE(w->SearchBusy());
    QElapsedTimer closing;
    closing.start();
    w->close();
    w.reset();
    // Generous: without the mend the close never returns at all.
    EXPECT_LT(closing.elapsed(), 5000);
    ::close(writer);
}

TEST_F(LookupThreads, RequestDestroyedWhileRunningNeverReports) {
    auto session = std::make_shared<LookupSession>(appDir);
    sound::UiWorker worker;
    for (int round = 0; round < 20; ++round) {
        auto request =
            std::make_unique<WSelect>(worker, session, "cat", core::BankMatch::WholeWord);
        QSignalSpy finished(request.get(), &WSelect::Finished);
        request->Start();
        const bool waited = round % 2 == 1;
        if (waited) {
            QTest::qWait(round); // it may finish and report meanwhile
        }
        const int before = finished.count();
        request.reset(); // cancels its task
        QCoreApplication::processEvents();
        EXPECT_EQ(finished.count(), before) << "a report after the request was gone";
        EXPECT_LE(before, waited ? 1 : 0);
    }
    // A request that runs to its end reports once, with the result.
    WSelect request(worker, session, "cat", core::BankMatch::WholeWord);
    QSignalSpy finished(&request, &WSelect::Finished);
    request.Start();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(request.IsFinished());
    const WSelect::Result result = request.TakeResult();
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.hits.size(), 2u);
}

TEST_F(LookupThreads, OneIndexSearchedFromSeveralThreads) {
    core::LookupFiles files;
    ASSERT_TRUE(core::ReadLookupFiles(appDir, files));
    const core::LookupIndex index(std::move(files));
    const std::vector<std::string> queries = {"cat", "w5", "w19999", "猫", "词4", "nothing", "CAT"};
    struct Answer {
        std::vector<core::BankHit> banks;
        std::vector<std::size_t> sentences;
        std::vector<std::string> close;
        bool operator==(const Answer&) const = default;
    };
    const auto answer = [&index](const std::string& q) {
        const auto match = static_cast<unsigned char>(q[0]) >= 0x80 ? core::BankMatch::Containment
                                                                    : core::BankMatch::WholeWord;
        return Answer{index.FindBanks(q, match), index.FindSentences(q), index.CloseWords(q)};
    };
    std::vector<Answer> expected;
    for (const auto& q : queries) {
        expected.push_back(answer(q));
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                const std::size_t k = static_cast<std::size_t>(round + t) % queries.size();
                if (!(answer(queries[k]) == expected[k])) {
                    ++mismatches[static_cast<std::size_t>(t)];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

} // namespace
