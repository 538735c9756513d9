// The card window in both uses, driven through the main window's buttons with the injected
// clock, message recorder, scripted speech and scripted player.
#include "shellfixture.h"

#include "core/waveheader.h"
#include "core/wordentry.h"
#include "host/fonts.h"
#include "learner/wordform.h"
#include "learner/wordfriend.h"
#include "learner/wordstoreroom.h"
#include "modes/hereadform.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

// Rectangles in failure messages.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}

namespace {

using namespace std::chrono_literals;
using Kind = MessageRecorder::Kind;
using Lines = std::vector<std::string>;

const QString EmptyCards = QStringLiteral("您选的学习内容已空。\r\n\r\n请另选学习内容。");
const QString EmptyBrowse = QStringLiteral("您选的学习内容为空。\r\n\r\n请另选学习内容。");
const QString CardsRest = QStringLiteral("本次学习完毕\r\n   请休息几分钟！");
const QString BrowseRest = QStringLiteral("十五分钟浏览完毕\r\n   请休息几分钟！");
const QString NothingToBrowse =
    QStringLiteral("没有您需要复习或学习的内容\r\n\r\n       请看看您有没有选择词库");

Lines Entries(int n, const std::string& stem = "w") {
    Lines lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back(stem + std::to_string(i) + "[" + stem + "]meaning" + std::to_string(i));
    }
    return lines;
}

class CardWindowTest : public ShellTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        state_.LearnerName = "Bob";
        state_.ColourCycle1 = 100;
        state_.ColourCycle2 = 25;
        state_.ColourCycle3 = 175;
        RegisterCardWindow(Shell());
        speech_.SetSpeakingAfterSpeak(false);
    }
    void Lists(const Lines& fresh, const Lines& mastered, const Lines& review) {
        state_.NewList.Replace(fresh);
        state_.MasteredList.Replace(mastered);
        state_.ReviewList.Replace(review);
        state_.NewCount = static_cast<int>(fresh.size());
        state_.MasteredCount = static_cast<int>(mastered.size());
        state_.ReviewCount = static_cast<int>(review.size());
    }
    void SoundIndex(const Lines& lines) {
        WriteLines("br.tif", lines);
        ASSERT_TRUE(state_.SoundIndex.Open(state_.AppDir + "br.tif"));
    }
    void SoundFile(const QString& relative) {
        QDir().mkpath(QFileInfo(appDir_ + relative).path());
        QFile f(appDir_ + relative);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
    }
    THeReadForm1* Cards() {
        return qobject_cast<THeReadForm1*>(Shell().SlotWindow(ModeSlot::Cards));
    }
    /// The answer buttons on offer, in panel order.
    QStringList Offered() {
        QStringList offered;
        THeReadForm1* w = Cards();
        for (QPushButton* b : {w->BtMyknow, w->BtMyDimness, w->BtMyUnknown, w->BtNextword1,
                               w->Btnext1, w->BtAlreadyMastery1, w->BtrepeatNext1}) {
            if (!b->isHidden()) {
                offered << Caption(b);
            }
        }
        return offered;
    }
    /// A button's caption without the key it shows after a space.
    static QString Caption(const QPushButton* b) {
        return b->text().section(QLatin1Char(' '), 0, 0);
    }
    void Click(const char* caption) {
        for (QPushButton* b : Cards()->findChildren<QPushButton*>()) {
            if (Caption(b) == QString::fromUtf8(caption)) {
                b->click();
                return;
            }
        }
        FAIL() << "no button " << caption;
    }
    QString Word() { return Cards()->Label1->text(); }
    /// The first browse tick comes 1 ms after the start.
    void FirstTick() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Shell().Timer2()->isActive(); }, 2000));
    }
    /// The end of the pronunciation re-arms Timer2; its next tick is run at once.
    void NextTick() {
        Shell().SpeechWatch();
        player_.EmitNotify();
        ASSERT_TRUE(Shell().Timer2()->isActive()) << "the end of the sound resumes browsing";
        EXPECT_EQ(Shell().Timer2()->interval(), 1200);
        Cards()->BrowseTick();
    }
    std::vector<std::string> Spoken() const { return speech_.Texts(); }
};

const QStringList Judge = {QStringLiteral("我知道"), QStringLiteral("不清楚"),
                           QStringLiteral("生疏词")};
const QStringList Grade = {QStringLiteral("猜对了"), QStringLiteral("没猜准"),
                           QStringLiteral("已掌握")};
const QStringList Continue = {QStringLiteral("继续")};

TEST_F(CardWindowTest, FlashCardsStartWithTheCardAtTheCursor) {
    Lists(Entries(20), Entries(2, "m"), {});
    state_.MasteredCount = 9;
    state_.ContentKind = core::StudyContent::NewWords;
    state_.WordCursor = 14;
    state_.BrowseMode = 1;
    Shell().Btfollow->click();
    ASSERT_NE(Cards(), nullptr);
    EXPECT_EQ(Word(), QStringLiteral(" w1")) << "new words are drilled among the first ten";
    EXPECT_EQ(Cards()->Label2->text(), QStringLiteral("  w"));
    EXPECT_EQ(Cards()->Label3->text(), QStringLiteral(" meaning1"));
    EXPECT_TRUE(Cards()->Label3->isHidden());
    EXPECT_FALSE(Cards()->Panel7->isHidden());
    EXPECT_TRUE(Cards()->Label9->isHidden());
    EXPECT_EQ(Offered(), Judge);
    EXPECT_EQ(Spoken(), Lines{"w1"});
    EXPECT_TRUE(Shell().Timer1()->isActive());
    EXPECT_FALSE(Shell().Timer2()->isActive());
    EXPECT_EQ(state_.BrowseMode, 0);
    EXPECT_EQ(Shell().Lbtimecount()->text(), QStringLiteral("跟读速记时间余0:15:00"));
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词2个"));
    EXPECT_TRUE(messages_.Messages().isEmpty());
}

TEST_F(CardWindowTest, AnswersKeepOrAdvanceTheCard) {
    struct Case {
        std::vector<const char*> clicks;
        const char* word;
        QStringList offered;
        bool meaning;
        Lines spoken; // after the start's own "w1"
    };
    const std::vector<Case> cases = {
        {{"我知道"}, " w1", Grade, true, {"w1"}},
        {{"不清楚"}, " w1", Continue, true, {"w1"}},
        {{"不清楚", "继续"}, " w1", Judge, false, {"w1", "w1"}},
        {{"我知道", "没猜准"}, " w1", Judge, false, {"w1", "w1"}},
        {{"我知道", "猜对了"}, " w2", Judge, false, {"w1", "w2"}},
        {{"我知道", "猜对了", "我知道", "猜对了", "我知道", "猜对了"},
         " w1",
         Judge,
         false,
         {"w1", "w2", "w2", "w3", "w3", "w1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        Lists({}, Entries(3), {});
        state_.ContentKind = core::StudyContent::Mastered;
        state_.WordCursor = 0;
        Shell().Btfollow->click();
        speech_.ClearTexts();
        for (const char* click : c.clicks) {
            Click(click);
        }
        EXPECT_EQ(Word(), QString::fromUtf8(c.word));
        EXPECT_EQ(Offered(), c.offered);
        EXPECT_EQ(!Cards()->Label3->isHidden(), c.meaning);
        EXPECT_EQ(Spoken(), c.spoken);
        EXPECT_EQ(state_.MasteredList.size(), 3u);
    }
}

TEST_F(CardWindowTest, KeysAnswerAsTheButtonsShowingThemDo) {
    struct Case {
        std::vector<Qt::Key> keys;
        const char* word;
        QStringList offered;
    };
    const std::vector<Case> cases = {
        {{Qt::Key_1}, " w1", Grade},
        {{Qt::Key_2}, " w1", Continue},
        {{Qt::Key_2, Qt::Key_Return}, " w1", Judge},
        {{Qt::Key_1, Qt::Key_2}, " w1", Judge},
        {{Qt::Key_1, Qt::Key_1}, " w2", Judge},
        {{Qt::Key_Return}, " w1", Judge}, // 继续 is not on offer: the key does nothing
    };
    Shell().show();
    Shell().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Shell()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys.size());
        Lists({}, Entries(3), {});
        state_.ContentKind = core::StudyContent::Mastered;
        state_.WordCursor = 0;
        Shell().Btfollow->click();
        for (const Qt::Key key : c.keys) {
            QTest::keyClick(&Shell(), key);
        }
        EXPECT_EQ(Word(), QString::fromUtf8(c.word));
        EXPECT_EQ(Offered(), c.offered);
    }
    // Each button shows the key that answers for it.
    const THeReadForm1* w = Cards();
    const std::pair<const QPushButton*, QString> shown[] = {
        {w->BtMyknow, QStringLiteral("1")},         {w->BtMyDimness, QStringLiteral("2")},
        {w->BtMyUnknown, QStringLiteral("3")},      {w->BtAlreadyMastery1, QStringLiteral("3")},
        {w->BtrepeatNext1, QStringLiteral("回车")},
    };
    for (const auto& [button, key] : shown) {
        EXPECT_TRUE(button->text().endsWith(QLatin1Char(' ') + key))
            << button->text().toStdString();
    }
}

TEST_F(CardWindowTest, UnknownWordGoesToReviewOnceAndAlwaysReveals) {
    Lists(Entries(2), {}, Entries(1, "r"));
    state_.ContentKind = core::StudyContent::NewWords;
    Shell().Btfollow->click();
    speech_.ClearTexts();
    Click("生疏词");
    EXPECT_EQ(Spoken(), Lines{"w1"});
    EXPECT_EQ(state_.ReviewList.Lines(), (Lines{"r1[r]meaning1", "w1[w]meaning1"}));
    EXPECT_EQ(Shell().LBnewword->text(), QStringLiteral("新学单词量1个"));
    EXPECT_EQ(Shell().LbreviewCount->text(), QStringLiteral("需复习单词2个"));
    EXPECT_EQ(Offered(), Continue);

    // In review mode every word is in the review list already.
    state_.ContentKind = core::StudyContent::Review;
    Shell().Btfollow->click();
    speech_.ClearTexts();
    Click("生疏词");
    EXPECT_TRUE(Spoken().empty()) << "nothing is spoken";
    EXPECT_EQ(state_.ReviewCount, 2);
    EXPECT_EQ(state_.NewLearnedCount, 1);
    EXPECT_EQ(Shell().LbreviewCount->text(), QStringLiteral("需复习单词2个"));
    EXPECT_FALSE(Cards()->Label3->isHidden()) << "the meaning still shows";
    EXPECT_EQ(Offered(), Continue);
}

TEST_F(CardWindowTest, MasteredAnswerPerContentKind) {
    // Consolidation counts without a list change.
    Lists({}, Entries(2, "m"), Entries(1, "r"));
    state_.ContentKind = core::StudyContent::Mastered;
    Shell().Btfollow->click();
    Click("我知道");
    Click("已掌握");
    EXPECT_EQ(state_.MasteredList.size(), 2u);
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词3个"));
    EXPECT_EQ(Word(), QStringLiteral(" m2"));

    // The last review entry empties the list; held by no other list, it is mastered. The
    // next card reports the empty list and offers nothing.
    state_.ContentKind = core::StudyContent::Review;
    state_.WordCursor = 0;
    Shell().Btfollow->click();
    Click("我知道");
    Click("已掌握");
    EXPECT_TRUE(state_.ReviewList.empty());
    EXPECT_EQ(state_.MasteredList.Lines().back(), "r1[r]meaning1");
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词3个"));
    EXPECT_EQ(Shell().LbreviewCount->text(), QStringLiteral("需复习单词0个"));
    EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{EmptyCards});
    EXPECT_TRUE(Offered().isEmpty());
    EXPECT_EQ(Word(), QStringLiteral(" r1")) << "the labels stay as they were";

    // A hidden button cannot move anything.
    Cards()->BtAlreadyMastery1->click();
    Cards()->BtMyUnknown->click();
    EXPECT_EQ(state_.MasteredList.size(), 3u);
    EXPECT_TRUE(state_.ReviewList.empty());
}

TEST_F(CardWindowTest, AfterTimeIsUpTheRestBoxComesAndNoListChanges) {
    Lists(Entries(3), {}, {});
    state_.ContentKind = core::StudyContent::NewWords;
    Shell().Btfollow->click();
    Click("我知道");
    clock_.Advance(15min + 1s);
    messages_.ScriptAnswers({MessageService::Answer::Cancel});
    Click("猜对了");
    ASSERT_EQ(messages_.Messages().size(), 1);
    EXPECT_EQ(messages_.Messages()[0].kind, Kind::AskOkCancel);
    EXPECT_EQ(messages_.Messages()[0].caption, QStringLiteral("消息"));
    EXPECT_EQ(messages_.Messages()[0].text, CardsRest);
    EXPECT_EQ(state_.WordCursor, 1);
    EXPECT_EQ(Word(), QStringLiteral(" w1"));
    EXPECT_TRUE(Offered().isEmpty());
    EXPECT_EQ(Shell().Lbtimecount()->text(), QStringLiteral("跟读速记时间余0:00:00"));
    for (QPushButton* b : Cards()->Panel7->findChildren<QPushButton*>()) {
        b->click();
    }
    EXPECT_EQ(state_.NewList.size(), 3u);
    EXPECT_TRUE(state_.MasteredList.empty());
    EXPECT_TRUE(state_.ReviewList.empty());

    // OK starts a new period and puts up the card at the cursor.
    messages_.Clear();
    messages_.ScriptAnswers({MessageService::Answer::Ok});
    clock_.Advance(1h);
    Cards()->ShowCard();
    EXPECT_EQ(messages_.Texts(), QStringList{CardsRest});
    EXPECT_EQ(Word(), QStringLiteral(" w2"));
    EXPECT_EQ(Offered(), Judge);
    EXPECT_EQ(Shell().Lbtimecount()->text(), QStringLiteral("跟读速记时间余0:15:00"));
}

TEST_F(CardWindowTest, CardSoundsComeFromTheIndexWithTheirFolderLetters) {
    SoundIndex({"[Mywav]", "good=good0001.wav", "bad=bad0001.wav"});
    Lists({}, {"Good[gud]adj.好的", "bad[bAd]adj.坏的", "cat[kAt]n.猫"}, {});
    state_.ContentKind = core::StudyContent::Mastered;
    Shell().Btfollow->click();
    // The next card takes the letter of the entry, "不清楚" that of the stored value.
    EXPECT_EQ(player_.Played(), QStringList{appDir_ + "/br/G/good0001.wav"});
    EXPECT_EQ(Cards()->CardSoundFile(), "good0001.wav");
    EXPECT_TRUE(Spoken().empty());
    Click("不清楚");
    EXPECT_EQ(player_.Played().last(), appDir_ + "/br/g/good0001.wav");
    EXPECT_TRUE(Spoken().empty());

    // A recording that cannot be opened is reported; the card stays usable and "不清楚"
    // speaks the word.
    player_.MarkMissing(appDir_ + "/br/b/bad0001.wav");
    Click("继续");
    Click("我知道");
    Click("猜对了");
    EXPECT_EQ(messages_.Texts(Kind::Error).size(), 1);
    EXPECT_EQ(Word(), QStringLiteral(" bad"));
    EXPECT_EQ(Offered(), Judge);
    EXPECT_EQ(Cards()->CardSoundFile(), "");
    speech_.ClearTexts();
    Click("不清楚");
    EXPECT_EQ(Spoken(), Lines{"bad"});

    // A word without a recording is spoken.
    Click("继续");
    Click("我知道");
    Click("猜对了");
    EXPECT_EQ(Word(), QStringLiteral(" cat"));
    EXPECT_EQ(Spoken().back(), "cat");
}

TEST_F(CardWindowTest, SoundFailuresAreShownOnceAndTheWordIsSpokenInstead) {
    SoundIndex({"[Mywav]", "good=good0001.wav", "bad=bad0001.wav"});
    Lists({}, {"good[gud]adj.好的", "bad[bAd]adj.坏的"}, {});
    state_.ContentKind = core::StudyContent::Mastered;
    const QString bad = appDir_ + "/br/b/bad0001.wav";
    player_.MarkMissing(bad);
    Shell().Btfollow->click();
    EXPECT_EQ(player_.PlayLimit(), core::WordSoundLimitMs) << "a word's sound is bounded";
    // A file that cannot be played: one box however often its word comes; the word is
    // spoken every time.
    for (int round = 0; round < 3; ++round) {
        Click("我知道");
        Click("猜对了");
        ASSERT_EQ(Word(), QStringLiteral(" bad"));
        Click("我知道");
        Click("猜对了");
        ASSERT_EQ(Word(), QStringLiteral(" good"));
    }
    ASSERT_EQ(messages_.Texts(Kind::Error).size(), 1);
    EXPECT_NE(messages_.Texts(Kind::Error)[0].indexOf(bad), -1);
    const Lines spoken = Spoken();
    EXPECT_EQ(std::count(spoken.begin(), spoken.end(), "bad"), 6) << "card and 我知道";

    // A play that fails later (a damaged file, a play stopped as too long): once per file.
    messages_.Clear();
    player_.EmitFailed(core::Status::Sound(core::Failure::SoundUnplayable, "x.wav"));
    player_.EmitFailed(core::Status::Sound(core::Failure::SoundUnplayable, "x.wav"));
    player_.EmitFailed(core::Status::Sound(core::Failure::SoundUnplayable, "y.wav"));
    EXPECT_EQ(messages_.Texts(Kind::Error).size(), 2);

    // No sound device: every play fails, and so does speech; one box in the whole run.
    messages_.Clear();
    player_.FailOn(sound::ScriptedPlayer::Op::Play, true, core::Failure::SoundNoOutput);
    for (int card = 0; card < 4; ++card) {
        Click("我知道");
        Click("猜对了");
    }
    Shell().ReportSoundFailure(core::Status::Sound(core::Failure::SoundOutputOpen, "语音"));
    ASSERT_EQ(messages_.Texts(Kind::Error).size(), 1);
    EXPECT_TRUE(
        messages_.Texts(Kind::Error)[0].startsWith(QStringLiteral("没有可用的声音输出设备")));
    EXPECT_EQ(Offered(), Judge) << "the cards go on";
}

TEST_F(CardWindowTest, BandsKeepTheirPlacesInEveryStage) {
    // The bands stand at their fixed heights from the top, as the window's table gives them,
    // whatever is shown or hidden below: the next answer buttons come up under the mouse.
    Lists({}, Entries(3), {});
    state_.ContentKind = core::StudyContent::Mastered;
    Shell().show();
    Shell().Btfollow->click();
    THeReadForm1* w = Cards();
    ASSERT_NE(w, nullptr);
    ASSERT_GT(w->height(), 400) << "a window with room to spare below the bands";
    const QRect word(0, 0, w->width(), 217);
    const QRect bar(0, 217, w->width(), 8);
    const QRect phonetic(0, 225, w->width(), 57);
    auto settle = [&] {
        Settle();
        return std::vector<QRect>{w->Label1->geometry(), w->Label8->geometry(),
                                  w->Label2->geometry()};
    };
    struct Stage {
        const char* name;
        std::vector<const char*> clicks;
        QRect panel; // Panel7, or Label9 while browsing
    };
    const QRect answers(0, 282, w->width(), 28);
    const Stage stages[] = {
        {"judge", {}, answers},
        {"grade", {"我知道"}, answers},
        {"judge again", {"没猜准"}, answers},
        {"continue", {"不清楚"}, answers},
        {"next card", {"继续", "我知道", "猜对了"}, answers},
    };
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.name);
        for (const char* click : stage.clicks) {
            Click(click);
        }
        EXPECT_EQ(settle(), (std::vector<QRect>{word, bar, phonetic}));
        EXPECT_EQ(w->Panel7->geometry(), stage.panel);
        for (QPushButton* b : w->Panel7->findChildren<QPushButton*>()) {
            EXPECT_EQ(b->height(), 28) << b->text().toStdString();
            EXPECT_EQ(b->y(), 0) << b->text().toStdString();
        }
        EXPECT_EQ(w->BtMyknow->x(), 168);
        EXPECT_EQ(w->BtNextword1->x(), 168);
        EXPECT_EQ(w->BtrepeatNext1->x(), 192);
        if (!w->Label3->isHidden()) {
            EXPECT_EQ(w->Label3->y(), 310);
        }
    }

    // Browsing: the separator Label9 takes the answer panel's place, the meaning follows it.
    Shell().lookword->click();
    FirstTick();
    EXPECT_EQ(settle(), (std::vector<QRect>{word, bar, phonetic}));
    EXPECT_EQ(w->Label9->geometry(), QRect(0, 282, w->width(), 8));
    EXPECT_EQ(w->Label3->y(), 290);
}

// Entries come from word banks and learners' own lists: markup in them is text to show, never
// formatting (or pictures fetched from a path) for the label to carry out.
TEST_F(CardWindowTest, MarkupInAnEntryIsShownAsWritten) {
    const std::string entry = "<big>Big</big>[<i>bIg</i>]<img src=\"nothing.png\"><b>大的</b>";
    for (const char* mode : {"flash cards", "browse"}) {
        SCOPED_TRACE(mode);
        Lists({}, {}, {entry});
        state_.ContentKind = core::StudyContent::Review;
        state_.WordCursor = 0;
        if (std::string(mode) == "browse") {
            Shell().lookword->click();
            FirstTick();
        } else {
            Shell().Btfollow->click();
            Click("我知道");
        }
        ASSERT_NE(Cards(), nullptr);
        EXPECT_EQ(Word(), QStringLiteral(" <big>Big</big>"));
        EXPECT_TRUE(RendersAsPlainText(Cards()->Label1));
        EXPECT_TRUE(RendersAsPlainText(Cards()->Label2));
        EXPECT_TRUE(RendersAsPlainText(Cards()->Label3));
        Cards()->close();
        Settle();
    }
}

TEST_F(CardWindowTest, ColourCycleOnTimer1) {
    Lists(Entries(1), {}, {});
    state_.ContentKind = core::StudyContent::NewWords;
    Shell().Btfollow->click();
    ASSERT_EQ(Shell().Timer1()->interval(), 1500);
    ASSERT_TRUE(QMetaObject::invokeMethod(Shell().Timer1(), "timeout"));
    auto colour = [](QLabel* l) { return l->palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour(Cards()->Label1), QColor(225, 25, 175));
    EXPECT_EQ(colour(Cards()->Label2), QColor(255, 100, 25));
    EXPECT_EQ(colour(Cards()->Label3), QColor(255, 175, 100));
    EXPECT_EQ(state_.ColourCycle1, 125);
}

TEST_F(CardWindowTest, BrowseShowsEachEntryTwiceThenEnds) {
    Lists(Entries(2), {}, Entries(3, "word"));
    state_.ContentKind = core::StudyContent::Review;
    Shell().lookword->click();
    ASSERT_NE(Cards(), nullptr);
    EXPECT_EQ(state_.BrowseMode, 1);
    EXPECT_EQ(Shell().Timer2()->interval(), 1);
    EXPECT_TRUE(Cards()->Panel7->isHidden());
    EXPECT_FALSE(Cards()->Label9->isHidden());
    EXPECT_FALSE(Cards()->Label3->isHidden());
    FirstTick();
    EXPECT_EQ(state_.BrowseRunning, 1);
    EXPECT_TRUE(Shell().Timer1()->isActive());
    QStringList shown{Word()};
    for (int i = 0; i < 5; ++i) {
        NextTick();
        EXPECT_FALSE(Shell().Timer2()->isActive()) << "paused while the word sounds";
        shown << Word();
    }
    EXPECT_EQ(shown, (QStringList{" word1", " word1", " word2", " word2", " word3", " word3"}));
    EXPECT_EQ(Spoken(), (Lines{" word1 ", " word1 ", " word2 ", " word2 ", " word3 ", " word3 "}));
    EXPECT_EQ(Cards()->Label3->text(), QStringLiteral(" meaning3"));
    EXPECT_TRUE(messages_.Messages().isEmpty());

    NextTick();
    EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{EmptyBrowse});
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("浏览单词： 3个"));
    EXPECT_EQ(state_.BrowseMode, 0);
    EXPECT_EQ(state_.BrowseRunning, 0);
    EXPECT_FALSE(Shell().Timer1()->isActive());
    EXPECT_FALSE(Shell().Timer2()->isActive());
    EXPECT_EQ(Shell().Lbtimecount()->text(), QStringLiteral("浏览跟读时间余0:15:00"));
}

TEST_F(CardWindowTest, BrowseDoesNotWrapPastTheEnd) {
    Lists({}, {}, Entries(3));
    state_.ContentKind = core::StudyContent::Review;
    state_.WordCursor = 3;
    Shell().lookword->click();
    FirstTick();
    EXPECT_EQ(messages_.Texts(), QStringList{EmptyBrowse});
    EXPECT_EQ(state_.BrowseRunning, 0);
    EXPECT_TRUE(Spoken().empty());
}

TEST_F(CardWindowTest, BrowseContentCheck) {
    struct Case {
        Lines fresh, mastered, review;
        int kindAfter;
        QRadioButton* TWordForm1::*radio;
        bool starts;
    };
    const Case cases[] = {
        {{}, {}, {}, 0, nullptr, false},
        {Entries(2), Entries(1), {}, 1, &TWordForm1::RadioButton1, true},
        {{}, Entries(1), {}, 2, &TWordForm1::RadioButton2, true},
        {{}, {}, Entries(1), 2, nullptr, true}, // review words: the choice stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kindAfter);
        messages_.Clear();
        Lists(c.fresh, c.mastered, c.review);
        state_.ContentKind = core::StudyContent::Mastered;
        Shell().WordForm1()->RadioButton3->setChecked(true);
        Shell().lookword->click();
        EXPECT_EQ(state_.ContentKind, core::StudyContent(c.kindAfter));
        if (c.radio != nullptr) {
            EXPECT_TRUE((Shell().WordForm1()->*c.radio)->isChecked());
        }
        EXPECT_EQ(Cards() != nullptr, c.starts);
        EXPECT_EQ(messages_.Texts(), c.starts ? QStringList{} : QStringList{NothingToBrowse});
        if (Cards() != nullptr) {
            Cards()->close();
            Settle();
        }
    }
}

TEST_F(CardWindowTest, ABrokenOffRunShowsItsNextFirstEntryOnce) {
    Lists({}, {}, Entries(3));
    state_.ContentKind = core::StudyContent::Review;
    Shell().lookword->click();
    FirstTick();
    EXPECT_EQ(Word(), QStringLiteral(" w1"));
    Cards()->close(); // broken off after the first showing
    Settle();
    EXPECT_EQ(Cards(), nullptr);
    EXPECT_EQ(state_.BrowseRunning, 0);

    Shell().lookword->click();
    FirstTick();
    EXPECT_EQ(Word(), QStringLiteral(" w1"));
    NextTick();
    EXPECT_EQ(Word(), QStringLiteral(" w2"));
    EXPECT_EQ(state_.WordCursor, 1);
}

TEST_F(CardWindowTest, BrowsePlaysARecordingInsteadOfSpeaking) {
    SoundIndex({"[Mywav]", "good=good0001.wav", "dog=dog0001.wav"});
    SoundFile("br/g/good0001.wav");
    Lists({}, {}, {"good[gud]adj.好的", "dog[dCg]n.狗"});
    state_.ContentKind = core::StudyContent::Review;
    Shell().lookword->click();
    FirstTick();
    EXPECT_EQ(player_.Played(), QStringList{appDir_ + "/br/g/good0001.wav"});
    EXPECT_TRUE(Spoken().empty());
    EXPECT_FALSE(Shell().Timer2()->isActive());
    player_.EmitNotify(); // the end of the recording resumes browsing
    EXPECT_TRUE(Shell().Timer2()->isActive());
    Cards()->BrowseTick();
    NextTick();
    // The index names a file that is missing: the word is spoken, with a space either side.
    EXPECT_EQ(Word(), QStringLiteral(" dog"));
    EXPECT_EQ(Spoken(), Lines{" dog "});
    EXPECT_EQ(player_.Played().size(), 2);
}

TEST_F(CardWindowTest, SpeedChangeDuringARunRestartsOnlyAWaitingTimer) {
    Lists({}, {}, Entries(3));
    state_.ContentKind = core::StudyContent::Review;
    Shell().lookword->click();
    FirstTick();
    Shell().SetSpeechSpeed(200); // the word is sounding: only the speed changes
    EXPECT_EQ(speech_.Speed(), 200);
    EXPECT_FALSE(Shell().Timer2()->isActive());
    Shell().SpeechWatch();
    Shell().SpeedButton11Click(); // waiting for the next tick: the wait starts anew
    EXPECT_EQ(speech_.Speed(), 150);
    EXPECT_TRUE(Shell().Timer2()->isActive());
    EXPECT_EQ(Shell().Timer2()->interval(), 1200);
    Cards()->BrowseTick();
    EXPECT_EQ(Word(), QStringLiteral(" w1"));
    EXPECT_EQ(Spoken(), (Lines{" w1 ", " w1 "}));
}

TEST_F(CardWindowTest, BrowseRestBoxAndTheRunOutOfTime) {
    Lists({}, {}, Entries(3));
    state_.ContentKind = core::StudyContent::Review;
    Shell().lookword->click();
    FirstTick();
    clock_.Advance(15min);
    messages_.ScriptAnswers({MessageService::Answer::Cancel, MessageService::Answer::Ok});
    NextTick();
    EXPECT_EQ(messages_.Messages().size(), 1);
    EXPECT_EQ(messages_.Messages()[0].caption, QStringLiteral("消息"));
    EXPECT_EQ(messages_.Messages()[0].text, BrowseRest);
    EXPECT_FALSE(Shell().Timer2()->isActive());
    EXPECT_EQ(state_.BrowseRunning, 1);
    EXPECT_EQ(state_.BrowseMode, 1);
    EXPECT_TRUE(Shell().Timer1()->isActive());

    // Out of time, "浏览跟读(&F)" starts nothing.
    Shell().lookword->click();
    EXPECT_FALSE(Shell().Timer2()->isActive());

    // OK renews the period and browsing goes on with the same entry.
    Cards()->BrowseTick();
    EXPECT_EQ(messages_.Messages().size(), 2);
    EXPECT_TRUE(Shell().Timer2()->isActive());
    Cards()->BrowseTick();
    EXPECT_EQ(Word(), QStringLiteral(" w1"));
    EXPECT_EQ(Shell().Lbtimecount()->text(), QStringLiteral("浏览跟读时间余0:15:00"));
}

TEST_F(CardWindowTest, FlashCardsEndABrowseRun) {
    Lists({}, {}, Entries(3));
    state_.ContentKind = core::StudyContent::Review;
    Shell().lookword->click();
    FirstTick();
    THeReadForm1* window = Cards();
    Shell().Btfollow->click();
    EXPECT_EQ(Cards(), window) << "the card window stays";
    EXPECT_EQ(state_.BrowseMode, 0);
    EXPECT_EQ(state_.BrowseRunning, 0);
    EXPECT_FALSE(Cards()->Panel7->isHidden());
    EXPECT_TRUE(Cards()->Label9->isHidden());
    Shell().SpeechWatch();
    player_.EmitNotify();
    EXPECT_FALSE(Shell().Timer2()->isActive()) << "a late end of sound restarts nothing";
}

TEST_F(CardWindowTest, ClosingTheWindowStopsEverything) {
    Lists({}, {}, Entries(3));
    state_.ContentKind = core::StudyContent::Review;
    Shell().lookword->click();
    FirstTick();
    Shell().SpeechWatch(); // waiting for the next tick
    ASSERT_TRUE(Shell().Timer2()->isActive());
    player_.ClearCalls();
    Cards()->Formclose1->click();
    EXPECT_EQ(state_.BrowseMode, 0);
    EXPECT_EQ(state_.BrowseRunning, 0);
    EXPECT_FALSE(Shell().Timer1()->isActive());
    EXPECT_FALSE(Shell().Timer2()->isActive());
    EXPECT_TRUE(player_.Calls().contains(QStringLiteral("Close")));
    Settle();
    EXPECT_EQ(Cards(), nullptr);
    Shell().SpeechWatch();
    EXPECT_FALSE(Shell().Timer2()->isActive());
}

} // namespace
