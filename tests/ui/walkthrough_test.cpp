// A new learner's first run on the program folder the build lays out: sign in, load the first
// bank of the catalogue, see its size in the statistics, close and find the three lists.
// With LJT_SCREENSHOTS set to a folder, every window is also saved there as a PNG.
#include "shellfixture.h"

#include "host/fonts.h"
#include "learner/wordform.h"
#include "learner/wordfriend.h"
#include "learner/wordstoreroom.h"
#include "modes/mywriteform.h"
#include "modes/selecttestform.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class WalkthroughTest : public ShellTest {
protected:
    void SetUp() override {
        UseBuiltData();
        if (HasFatalFailure()) {
            return;
        }
        EXPECT_TRUE(InstallFonts(appDir_)) << "DFPhonetic.ttf registers";
        RegisterSpellingWindow(Shell());
        RegisterChoiceTestWindow(Shell());
    }
    /// Signs a new learner in and loads the first bank of the catalogue.
    void LoadFirstBank() {
        WhenSignInReady([](Twordfriend& signIn) {
            signIn.Edit1->setText(QStringLiteral("小红"));
            signIn.SBfriend->click();
        });
        Shell().show();
        Shell().FormShow();
        Settle();
        TWordstoreroom1* bank = Shell().Wordstoreroom1();
        ASSERT_NE(bank, nullptr);
        bank->ListBox1->setCurrentRow(0);
        bank->Edit1->setText(bank->ListBox1->item(0)->text());
        bank->gomywordbook->click();
        ASSERT_GT(state_.NewList.size(), 2u);
    }
};

TEST_F(WalkthroughTest, NewLearnerLoadsTheFirstBank) {
    const std::vector<std::string> catalogue = ReadLines("Ebook.txt");
    ASSERT_FALSE(catalogue.empty());
    std::size_t bankLines = 0;
    for (const auto& line :
         ReadLines("Worddata/" + QString::fromStdString(catalogue[0]) + ".dst")) {
        bankLines += line.empty() ? 0 : 1;
    }
    ASSERT_GT(bankLines, 0u);

    Shell().resize(1024, 700);
    WhenSignInReady([this](Twordfriend& signIn) {
        signIn.resize(1024, 700);
        signIn.Edit1->setText(QStringLiteral("小明"));
        Snap(&signIn, "1-signin");
        signIn.SBfriend->click();
    });
    Shell().show();
    Shell().FormShow();
    Settle();

    TWordstoreroom1* bank = Shell().Wordstoreroom1();
    ASSERT_NE(bank, nullptr);
    ASSERT_EQ(bank->ListBox1->count(), static_cast<int>(catalogue.size()));
    Snap(&Shell(), "2-wordbanks");
    const QRect first = bank->ListBox1->visualItemRect(bank->ListBox1->item(0));
    QTest::mouseClick(bank->ListBox1->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(bank->Edit1->text().toStdString(), catalogue[0]);
    bank->gomywordbook->click();
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();
    EXPECT_FALSE(bank->isVisible());
    EXPECT_EQ(Shell().LBzhongCount->text(), QStringLiteral("单词总数量%1个").arg(bankLines));
    Snap(&Shell(), "3-loaded");

    Shell().SpeedButton13->click();
    Snap(Shell().WordForm1(), "4-studycontent");
    EXPECT_EQ(Shell().WordForm1()->TcNewLearnlist->count(), static_cast<int>(bankLines));
    Shell().WordForm1()->SpeedButton1->click();

    EXPECT_TRUE(Shell().close());
    EXPECT_EQ(ReadLines(QStringLiteral("小明/小明1.bm")).size(), bankLines);
    EXPECT_TRUE(Exists(QStringLiteral("小明/小明2.bm")));
    EXPECT_TRUE(Exists(QStringLiteral("小明/小明3.bm")));
}

TEST_F(WalkthroughTest, SpellingAndChoiceTestOnTheFirstBank) {
    LoadFirstBank();
    ASSERT_FALSE(HasFatalFailure());
    const std::string first = state_.NewList.Line(0);

    Shell().SpeedButton9->click();
    auto* spelling = qobject_cast<TMyWriteForm1*>(Shell().SlotWindow(ModeSlot::Spelling));
    ASSERT_NE(spelling, nullptr);
    Snap(&Shell(), "5-spelling");
    spelling->Edit1->setText(QString::fromStdString(first.substr(0, first.find('['))));
    QTest::keyClick(spelling->Edit1, Qt::Key_Return);
    EXPECT_EQ(player_.Played().last(), appDir_ + "br/g/good0001.wav");
    EXPECT_EQ(state_.MasteredList.Lines(), std::vector<std::string>{first});

    Shell().BtSelectTest1->click();
    Settle();
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::Spelling), nullptr);
    auto* choice = qobject_cast<TSelectTestForm1*>(Shell().SlotWindow(ModeSlot::ChoiceTest));
    ASSERT_NE(choice, nullptr);
    for (core::ChoiceMarker m :
         {core::ChoiceMarker::Neutral, core::ChoiceMarker::Right, core::ChoiceMarker::Wrong}) {
        EXPECT_TRUE(choice->Markers().FromFile(m)) << "the installed pictures are read";
    }
    Snap(&Shell(), "6-choicetest");
    const std::string asked = state_.CurrentEntry;
    const core::ChoicePanelView& upper = choice->Test().Panel(core::ChoicePanel::Upper);
    for (int k = 0; k < 4; ++k) {
        if (upper.rows[static_cast<std::size_t>(k)].text == upper.pending) {
            QTest::mouseClick(choice->MYwordLabel[static_cast<std::size_t>(k)], Qt::LeftButton);
            break;
        }
    }
    EXPECT_EQ(choice->Label15->text(), QStringLiteral("正确选择：1个"));
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();

    EXPECT_TRUE(Shell().close());
    const std::vector<std::string> mastered = ReadLines(QStringLiteral("小红/小红2.bm"));
    EXPECT_EQ(mastered, (std::vector<std::string>{first, asked}));
}

} // namespace
