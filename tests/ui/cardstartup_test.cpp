// The card window from the sign-in on: a returning learner's start-up and a new learner's
// first study on the built program folder, through the main window's buttons.
#include "shellfixture.h"

#include "core/wordentry.h"
#include "host/fonts.h"
#include "learner/wordform.h"
#include "learner/wordfriend.h"
#include "learner/wordstoreroom.h"
#include "modes/hereadform.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

using Lines = std::vector<std::string>;

const QString EmptyBrowse = QStringLiteral("您选的学习内容为空。\r\n\r\n请另选学习内容。");

Lines Entries(int n, const std::string& stem) {
    Lines lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back(stem + std::to_string(i) + "[" + stem + "]meaning" + std::to_string(i));
    }
    return lines;
}

class CardStartUpTest : public ShellTest {};

// Sign-in of a returning learner browses the review list; flash cards change the lists and
// closing the main window writes them.
TEST_F(CardStartUpTest, ReturningLearnerBrowsesThenStudiesAndTheListsAreSaved) {
    MakePictures();
    MakeLearner("Bob", Entries(2, "n"), {}, Entries(2, "r"));
    RegisterCardWindow(Shell());
    speech_.SetSpeakingAfterSpeak(false);
    StartWith(QStringLiteral("Bob"), "SbOpen1");
    auto* cards = qobject_cast<THeReadForm1*>(Shell().SlotWindow(ModeSlot::Cards));
    ASSERT_NE(cards, nullptr);
    EXPECT_EQ(state_.ContentKind, core::StudyContent::Review);
    EXPECT_EQ(Shell().Label4()->text(), QStringLiteral("Bob：请大声跟读! 提高你的记忆效率!"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !cards->Label1->text().isEmpty(); }, 2000));
    EXPECT_EQ(cards->Label1->text(), QStringLiteral(" r1"));
    EXPECT_EQ(state_.BrowseMode, 1);

    Shell().Btfollow->click();
    cards->BtMyknow->click();
    cards->BtAlreadyMastery1->click(); // r1 leaves the review list for the mastered
    state_.ContentKind = core::StudyContent::NewWords;
    state_.WordCursor = 0;
    Shell().Btfollow->click();
    cards->BtMyUnknown->click(); // n1 goes to review as well
    cards->BtrepeatNext1->click();
    cards->BtMyknow->click();
    cards->BtAlreadyMastery1->click(); // n1 is mastered
    ASSERT_TRUE(Shell().close());
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), Lines{"n2[n]meaning2"});
    EXPECT_EQ(ReadLines("Bob/Bob2.bm"), (Lines{"r1[r]meaning1", "n1[n]meaning1"}));
    EXPECT_EQ(ReadLines("Bob/Bob3.bm"), (Lines{"r2[r]meaning2", "n1[n]meaning1"}));
}

// On the program folder the build lays out: a new learner loads the first bank, studies it
// with flash cards, browses it, and finds the changes in the list files after closing.
class CardWalkthroughTest : public ShellTest {
protected:
    void SetUp() override {
        UseBuiltData();
        if (HasFatalFailure()) {
            return;
        }
        EXPECT_TRUE(InstallFonts(appDir_)) << "the phonetic typeface is part of the data";
    }
};

TEST_F(CardWalkthroughTest, NewLearnerStudiesAndBrowsesTheFirstBank) {
    const Lines catalogue = ReadLines("Ebook.txt");
    ASSERT_FALSE(catalogue.empty());
    Lines bank;
    for (const std::string& line :
         ReadLines("Worddata/" + QString::fromStdString(catalogue[0]) + ".dst")) {
        if (!core::Trim(line).empty()) {
            bank.push_back(core::Trim(line));
        }
    }
    ASSERT_GE(bank.size(), 3u);
    RegisterCardWindow(Shell());
    speech_.SetSpeakingAfterSpeak(false);
    WhenSignInReady([](Twordfriend& signIn) {
        signIn.Edit1->setText(QStringLiteral("小红"));
        signIn.SBfriend->click();
    });
    Shell().show();
    Shell().FormShow();
    Settle();
    TWordstoreroom1* store = Shell().Wordstoreroom1();
    ASSERT_NE(store, nullptr);
    store->ListBox1->setCurrentRow(0);
    store->ListBox1Click();
    store->gomywordbook->click();
    ASSERT_EQ(state_.NewList.size(), bank.size());

    // Flash cards on the new words: the first is mastered, the second goes to review.
    Shell().Btfollow->click();
    auto* cards = qobject_cast<THeReadForm1*>(Shell().SlotWindow(ModeSlot::Cards));
    ASSERT_NE(cards, nullptr);
    EXPECT_EQ(cards->Label1->text().toStdString(),
              std::string(" ").append(core::EntryWord(bank[0])));
    EXPECT_EQ(player_.Played().size() + speech_.Texts().size(), 1u) << "the word is pronounced";
    Snap(&Shell(), "5-flashcard");
    cards->BtMyknow->click();
    Snap(&Shell(), "6-flashcard-judge");
    cards->BtAlreadyMastery1->click();
    EXPECT_EQ(cards->Label1->text().toStdString(),
              std::string(" ").append(core::EntryWord(bank[2])))
        << "the entry that moved up is skipped";
    cards->BtMyUnknown->click();
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词1个"));
    EXPECT_EQ(Shell().LbreviewCount->text(), QStringLiteral("需复习单词1个"));

    // The learner chooses the review words and browses them: the word just marked, twice,
    // then the end.
    Shell().SpeedButton13->click();
    Shell().WordForm1()->RadioButton3->setChecked(true);
    Shell().WordForm1()->Btlookwordlist->click();
    ASSERT_EQ(state_.ContentKind, core::StudyContent::Review);
    state_.WordCursor = 0;
    Settle(); // "学习内容(&G)" closed the card window
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::Cards), nullptr);
    Shell().lookword->click();
    cards = qobject_cast<THeReadForm1*>(Shell().SlotWindow(ModeSlot::Cards));
    ASSERT_NE(cards, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Shell().Timer2()->isActive(); }, 2000));
    EXPECT_EQ(cards->Label1->text().toStdString(),
              std::string(" ").append(core::EntryWord(bank[2])));
    Snap(&Shell(), "7-browse");
    for (int i = 0; i < 2; ++i) {
        Shell().SpeechWatch();
        player_.EmitNotify();
        cards->BrowseTick();
    }
    EXPECT_EQ(messages_.Texts(), QStringList{EmptyBrowse});

    EXPECT_TRUE(Shell().close());
    Lines fresh(bank.begin() + 1, bank.end());
    EXPECT_EQ(ReadLines(QStringLiteral("小红/小红1.bm")), fresh);
    EXPECT_EQ(ReadLines(QStringLiteral("小红/小红2.bm")), Lines{bank[0]});
    EXPECT_EQ(ReadLines(QStringLiteral("小红/小红3.bm")), Lines{bank[2]});
}
} // namespace
