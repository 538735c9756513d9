// The lookup window driven through the main window's button: wiring of its buttons and keys,
// the pages it writes, the sentences it shows, and the faults it mends.
#include "shellfixture.h"

#include "core/lookupindex.h"
#include "core/lookuppage.h"
#include "core/textfile.h"
#include "host/htmlview.h"
#include "modes/wordsentenceforrm.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>

namespace {

using Kind = MessageRecorder::Kind;
using Lines = std::vector<std::string>;

const QString MixedQuery = QStringLiteral("没有中英文混合的词语。请使用纯中文或纯英文词语！");

class LookupWindowTest : public ShellTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        state_.LearnerName = "Bob";
        MakeBank("中考词汇", {"cat[kAt]n.猫", "apple[Apl]n.苹果", "dog[dCg]n.狗"});
        MakeBank("四级词汇",
                 {"Apple[Apl]n.苹果公司", "apple[Apl]n.苹果；苹果树", "<b>bold[b]n.&粗体"});
        WriteLines("Worddata/sentence34085.txt",
                   {"A cat sat.‖一只猫坐着。", "concatenate cat‖连接猫",
                    "I saw a cat.‖我看见一只猫。", "An apple a day.‖一天一个苹果。",
                    "The dog ran.‖狗跑了。"});
        RegisterLookupWindow(Shell());
    }

    /// Opens the window with the main window's button and waits until it is idle.
    TWordSentenceForrm* Open() {
        Shell().closelookword->click();
        auto* w = Window();
        EXPECT_NE(w, nullptr);
        if (w != nullptr) {
            WaitIdle(w);
        }
        return w;
    }
    TWordSentenceForrm* Window() {
        return qobject_cast<TWordSentenceForrm*>(Shell().SlotWindow(ModeSlot::Lookup));
    }
    static void WaitIdle(TWordSentenceForrm* w) {
        ASSERT_TRUE(QTest::qWaitFor([w] { return !w->SearchBusy(); }, 10000));
    }
    void Type(TWordSentenceForrm* w, const QString& text) {
        w->Edit1->setText(text);
        w->BiInput1->click();
        WaitIdle(w);
    }
    std::string Page(const char* name) {
        return core::Gb18030ToUtf8(ReadBytes(QString::fromLatin1(name)).toStdString());
    }
    /// The index built the way the window builds it, for the expected texts.
    std::unique_ptr<core::LookupIndex> Index() {
        core::LookupFiles files;
        core::ReadLookupFiles(state_.AppDir, files);
        return std::make_unique<core::LookupIndex>(std::move(files));
    }
};

TEST_F(LookupWindowTest, OpensFromItsButtonWithItsControls) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("词句对照"));
    EXPECT_EQ(Shell().Colour(), QColor(0xEE, 0xEE, 0xFF));
    const std::pair<QAbstractButton*, const char*> captions[] = {
        {w->SpeedButton2, "按学习词语内容浏览上一词语"},
        {w->SpeedButton3, "按学习词语内容浏览下一词语"},
        {w->BiInput1, "输入查看"},
        {w->BtcloseForm1, "返回"},
        {w->BtAddNewWord, "加入生词本"},
    };
    for (const auto& [button, caption] : captions) {
        EXPECT_EQ(button->text(), QString::fromUtf8(caption));
    }
    EXPECT_EQ(w->Label1->text(), QStringLiteral("输入："));
    EXPECT_EQ(w->RichEdit2->toPlainText(), QStringLiteral("在上框输入你需要的内容。按回车。"));
    // No study content: nothing to step through.
    EXPECT_FALSE(w->SpeedButton2->isEnabled());
    EXPECT_FALSE(w->SpeedButton3->isEnabled());
    EXPECT_FALSE(w->BtAddNewWord->isEnabled());
    Shell().show();
    for (int width : {1000, 700}) {
        Shell().resize(width, 600);
        Settle();
        EXPECT_EQ(w->Edit1->width(), w->Panel4->width() - 85) << width;
    }
}

TEST_F(LookupWindowTest, TypedWordWritesBothPagesAndShowsItsSentences) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    Type(w, QStringLiteral("  apple "));
    const auto index = Index();
    const auto hits = index->FindBanks("apple", core::BankMatch::WholeWord);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(Page("1.htm"), core::ResultPage(hits, state_.AppDir) + "\r\n");
    EXPECT_EQ(Page("2.htm"), core::ResultPage({hits[0]}, state_.AppDir) + "\r\n");
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("apple"));
    EXPECT_TRUE(w->WebBrowser1->toPlainText().contains(QStringLiteral("苹果；苹果树")));
    EXPECT_EQ(w->RichEdit2->toPlainText(), QStringLiteral(" An apple a day.\n   一天一个苹果。"));
    EXPECT_TRUE(w->BtAddNewWord->isEnabled());
    EXPECT_TRUE(messages_.Messages().isEmpty());
}

TEST_F(LookupWindowTest, QueriesByKind) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    struct Case {
        const char* query;
        const char* editAfter; ///< Edit1 afterwards (the query shown, or unchanged)
        bool mixedMessage;
        const char* sentences;
    };
    const Case cases[] = {
        {"cat", "cat", false, " A cat sat.\n   一只猫坐着。\n I saw a cat.\n   我看见一只猫。"},
        {"苹果", "苹果", false, " An apple a day.\n   一天一个苹果。"},
        {"cat猫", "cat猫", true, nullptr},
        {"猫cat", "猫cat", true, nullptr},
    };
    for (const auto& c : cases) {
        messages_.Clear();
        const QString before = w->RichEdit2->toPlainText();
        Type(w, QString::fromUtf8(c.query));
        EXPECT_EQ(w->Edit1->text(), QString::fromUtf8(c.editAfter)) << c.query;
        EXPECT_EQ(messages_.Texts(Kind::Inform),
                  c.mixedMessage ? QStringList{MixedQuery} : QStringList{})
            << c.query;
        EXPECT_EQ(w->RichEdit2->toPlainText(),
                  c.sentences ? QString::fromUtf8(c.sentences) : before)
            << c.query;
    }
}

TEST_F(LookupWindowTest, EnterEscAndTheEmptyBox) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    WriteLines("1.htm", {"untouched"});
    w->Edit1->setText(QStringLiteral("   "));
    QTest::keyClick(w->Edit1, Qt::Key_Return);
    w->BiInput1->click(); // an empty query reads nothing
    WaitIdle(w);
    EXPECT_EQ(ReadLines("1.htm"), Lines{"untouched"});
    w->Edit1->setText(QStringLiteral("dog"));
    QTest::keyClick(w->Edit1, Qt::Key_Return);
    WaitIdle(w);
    EXPECT_NE(Page("1.htm").find("n.狗"), std::string::npos);
    QTest::keyClick(w->Edit1, Qt::Key_Escape);
    EXPECT_TRUE(w->Edit1->text().isEmpty());
}

TEST_F(LookupWindowTest, StepButtonsReachEveryLineFromLineZero) {
    state_.NewList.Replace({"cat[kAt]n.猫", "apple[Apl]n.苹果", "dog[dCg]n.狗"});
    state_.ContentKind = core::StudyContent::NewWords;
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->StudyIndex(), 0);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("cat"));
    struct Step {
        QPushButton* button;
        int index;
        const char* word;
    };
    const Step steps[] = {
        {w->SpeedButton3, 1, "apple"}, {w->SpeedButton3, 2, "dog"}, {w->SpeedButton3, 2, "dog"},
        {w->SpeedButton2, 1, "apple"}, {w->SpeedButton2, 0, "cat"}, {w->SpeedButton2, 0, "cat"},
    };
    for (const auto& s : steps) {
        s.button->click();
        WaitIdle(w);
        EXPECT_EQ(w->StudyIndex(), s.index);
        EXPECT_EQ(w->Edit1->text(), QString::fromUtf8(s.word));
        EXPECT_NE(Page("1.htm").find("> " + std::string(s.word) + "</font>"), std::string::npos);
    }
}

TEST_F(LookupWindowTest, WordInNoBankLeavesAnEmptyPageAndOffersCloseWords) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    Type(w, QStringLiteral("cat"));
    const QByteArray firstHit = ReadBytes("2.htm");
    Type(w, QStringLiteral("APPLE"));
    EXPECT_EQ(ReadBytes("1.htm"), QByteArray("\r\n"));
    EXPECT_EQ(ReadBytes("2.htm"), firstHit);
    EXPECT_TRUE(w->RichEdit2->toPlainText().isEmpty());
    EXPECT_FALSE(w->BtAddNewWord->isEnabled());
    ASSERT_FALSE(w->PanelCloseWords->isHidden());
    EXPECT_EQ(w->CloseWords(), (Lines{"apple", "Apple"}));
    EXPECT_FALSE(w->BtCloseWord[1]->isHidden());
    EXPECT_TRUE(w->BtCloseWord[2]->isHidden());
    w->BtCloseWord[0]->click();
    WaitIdle(w);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("apple"));
    EXPECT_NE(Page("1.htm").find("苹果；苹果树"), std::string::npos);
    EXPECT_TRUE(w->PanelCloseWords->isHidden());
}

TEST_F(LookupWindowTest, EntryMarkupIsShownAsText) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    Type(w, QStringLiteral("粗体"));
    EXPECT_NE(Page("1.htm").find("&lt;b&gt;bold"), std::string::npos);
    EXPECT_TRUE(w->WebBrowser1->toPlainText().contains(QStringLiteral("<b>bold")));
    EXPECT_TRUE(w->WebBrowser1->toPlainText().contains(QStringLiteral("n.&粗体")));
}

TEST_F(LookupWindowTest, AddToNewWordsTakesTheChosenHitOnce) {
    state_.NewList.Replace({"dog[dCg]n.狗"});
    state_.NewCount = 1;
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    Type(w, QStringLiteral("apple"));
    w->BtAddNewWord->click();
    EXPECT_EQ(state_.NewList.Lines(), (Lines{"dog[dCg]n.狗", "apple[Apl]n.苹果"}));
    EXPECT_EQ(state_.NewCount, 2);
    EXPECT_EQ(Shell().LBzhongCount->text(), QStringLiteral("单词总数量2个"));
    EXPECT_EQ(w->BtAddNewWord->text(), QStringLiteral("已加入生词本"));
    // The menu offers each bank's entry; the second bank's is another line of the same word,
    // which is refused like the first one again.
    const auto actions = w->BtAddNewWord->menu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[1]->text(), QStringLiteral("《四级词汇》 apple"));
    actions[1]->trigger();
    actions[0]->trigger();
    const QString inNewWords = QStringLiteral("生词本里已经有这个词语了。");
    EXPECT_EQ(messages_.Texts(Kind::Inform), (QStringList{inNewWords, inNewWords}));
    EXPECT_EQ(state_.NewList.size(), 2u);
    // A mastered word is not new again.
    state_.MasteredList.Replace({"CAT[kAt]n.猫科动物"});
    Type(w, QStringLiteral("cat"));
    w->BtAddNewWord->click();
    EXPECT_EQ(messages_.Texts(Kind::Inform).back(),
              QStringLiteral("这个词语您已经掌握了，不用再加入生词本。"));
    EXPECT_EQ(state_.NewList.size(), 2u);
}

TEST_F(LookupWindowTest, UnreadableBankIsSkippedAndReportedOnce) {
    QFile::link(appDir_ + "nowhere", appDir_ + "Worddata/坏.dst");
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    Type(w, QStringLiteral("cat"));
    Type(w, QStringLiteral("apple"));
    const QStringList errors = messages_.Texts(Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("坏.dst"))) << errors[0].toStdString();
    EXPECT_FALSE(w->SearchBusy());
    EXPECT_NE(Page("1.htm").find("苹果；苹果树"), std::string::npos);
}

TEST_F(LookupWindowTest, TheLatestOfManyQuickRequestsIsShown) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    const char* words[] = {"cat", "apple", "dog", "苹果", "cat"};
    for (int round = 0; round < 40; ++round) {
        w->Edit1->setText(QString::fromUtf8(words[round % 5]));
        w->BiInput1Click(); // no events in between
    }
    w->Edit1->setText(QStringLiteral("dog"));
    w->BiInput1Click();
    WaitIdle(w);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("dog"));
    EXPECT_EQ(w->RichEdit2->toPlainText(), QStringLiteral(" The dog ran.\n   狗跑了。"));
    EXPECT_NE(Page("1.htm").find("n.狗"), std::string::npos);
    EXPECT_EQ(Page("1.htm").find("n.猫"), std::string::npos);
}

TEST_F(LookupWindowTest, ClosingWritesThePlaceholderAndEndsTheSearch) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    w->Edit1->setText(QStringLiteral("cat"));
    w->BiInput1Click();
    w->BtcloseForm1->click(); // while the search may still run
    Settle();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(Page("1.htm"), core::PlaceholderPage() + "\r\n");
    EXPECT_TRUE(messages_.Messages().isEmpty());
}

TEST_F(LookupWindowTest, ReadOnlyFolderStillShowsTheResultAndSaysSoOnce) {
    auto* w = Open();
    ASSERT_NE(w, nullptr);
    // A folder in the way of the page file makes it impossible to write, even for root.
    QDir().mkpath(appDir_ + "1.htm/x");
    Type(w, QStringLiteral("cat"));
    Type(w, QStringLiteral("dog"));
    EXPECT_EQ(messages_.Texts(Kind::Error).size(), 1);
    EXPECT_TRUE(w->WebBrowser1->toPlainText().contains(QStringLiteral("n.狗")));
}

} // namespace

namespace {

// The lookup on the program folder the build lays out: the real banks and sentences.
class LookupWindowBuiltData : public ShellTest {};

TEST_F(LookupWindowBuiltData, FindsAWordInTheRealBanksWithSentencesAndPicture) {
    ASSERT_NO_FATAL_FAILURE(UseBuiltData());
    state_.AppDir = appDir_.toStdString();
    state_.LearnerName = "Bob";
    RegisterLookupWindow(Shell());
    Shell().closelookword->click();
    auto* w = qobject_cast<TWordSentenceForrm*>(Shell().SlotWindow(ModeSlot::Lookup));
    ASSERT_NE(w, nullptr);
    w->Edit1->setText(QStringLiteral("apple"));
    w->BiInput1->click();
    ASSERT_TRUE(QTest::qWaitFor([w] { return !w->SearchBusy(); }, 20000));
    EXPECT_TRUE(messages_.Messages().isEmpty());
    const std::string page = core::Gb18030ToUtf8(ReadBytes(QStringLiteral("1.htm")).toStdString());
    EXPECT_NE(page.find("《中考词汇》"), std::string::npos);
    const std::string picture = core::FileUrl(state_.AppDir + "point.gif");
    EXPECT_NE(page.find("src=\"" + picture + "\""), std::string::npos);
    EXPECT_TRUE(QFile::exists(QUrl(QString::fromStdString(picture)).toLocalFile()));
    EXPECT_TRUE(w->RichEdit2->toPlainText().contains(QStringLiteral("apple")));
}

} // namespace
