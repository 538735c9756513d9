#include "shellfixture.h"

#include "learner/wordform.h"
#include "learner/wordstoreroom.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const std::vector<std::string> Bank = {"one[wQn]num.一", "", "two[tu:]num.二", "   ",
                                       "three[Wri:]num.三"};
// Blank lines are left out: a line of blanks would read as the end of the list.
const std::vector<std::string> BankCopied = {"one[wQn]num.一", "two[tu:]num.二",
                                             "three[Wri:]num.三"};

/// The question before a bank replaces a new-word list of count words.
QString ReplaceQuestion(int count) {
    return QStringLiteral("您的未学单词中现有%1个单词，加到词库后将换成词库“数字”的单词。\r\n"
                          "原来的单词会保存在备份中，可以在“恢复备份”中找回。\r\n\r\n要替换吗？")
        .arg(count);
}

class WordBankTest : public ShellTest {
protected:
    void SetUp() override {
        MakePictures();
        MakeBank("数字", Bank);
        MakeBank("空词库", {});
        MakeLearner("Bob", {"old[EUld]adj.旧的"}, {"cat[kAt]n.猫"}, {"dog[dCg]n.狗"});
        StartWith("Bob", "SbOpen1");
        Shell().SpeedButton12->click();
        bank_ = Shell().Wordstoreroom1();
        ASSERT_NE(bank_, nullptr);
        ASSERT_TRUE(bank_->isVisibleTo(&Shell()));
        messages_.Clear();
    }
    void Load(const QString& name) {
        bank_->Edit1->setText(name);
        bank_->gomywordbook->click();
    }
    TWordstoreroom1* bank_ = nullptr;
};

TEST_F(WordBankTest, RowClickFillsTheNameField) {
    ASSERT_EQ(bank_->ListBox1->count(), 2);
    QListWidgetItem* row = bank_->ListBox1->item(1);
    const QRect place = bank_->ListBox1->visualItemRect(row);
    QTest::mouseClick(bank_->ListBox1->viewport(), Qt::LeftButton, {}, place.center());
    EXPECT_EQ(bank_->Edit1->text(), QStringLiteral("空词库"));

    // Choosing a row with the keyboard fills the field as a click does.
    bank_->Edit1->clear();
    bank_->ListBox1->setFocus();
    QTest::keyClick(bank_->ListBox1, Qt::Key_Up);
    EXPECT_EQ(bank_->ListBox1->currentRow(), 0);
    EXPECT_EQ(bank_->Edit1->text(), QStringLiteral("数字"));
    // A name typed by hand stays until a row is chosen again.
    bank_->Edit1->setText(QStringLiteral("自己的"));
    bank_->ListBox1->clearSelection();
    EXPECT_EQ(bank_->Edit1->text(), QStringLiteral("自己的"));
}

TEST_F(WordBankTest, LoadingReplacesNewWordsAndKeepsUnsavedProgress) {
    // Studied since the start, not yet saved.
    state_.CurrentEntry = "egg[eg]n.蛋";
    ASSERT_TRUE(state_.AddToReview());
    state_.CurrentEntry = "old[EUld]adj.旧的";
    ASSERT_TRUE(state_.AddToMastered());
    Shell().WordForm1()->RadioButton3->setChecked(true);
    state_.ContentKind = core::StudyContent::Review;

    Load(QStringLiteral("数字"));
    EXPECT_EQ(messages_.Texts(), QStringList{ReplaceQuestion(1)})
        << messages_.Texts().join('|').toStdString();
    EXPECT_FALSE(bank_->isVisible());
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), BankCopied);
    EXPECT_EQ(ReadLines("Bob/Bob2.bm"),
              (std::vector<std::string>{"cat[kAt]n.猫", "old[EUld]adj.旧的"}));
    EXPECT_EQ(ReadLines("Bob/Bob3.bm"), (std::vector<std::string>{"dog[dCg]n.狗", "egg[eg]n.蛋"}));
    EXPECT_EQ(state_.NewList.Lines(), BankCopied);
    EXPECT_EQ(state_.ReviewList.size(), 2u);
    EXPECT_EQ(state_.ContentKind, core::StudyContent::NewWords);
    EXPECT_TRUE(Shell().WordForm1()->RadioButton3->isChecked());
    // The statistics show the line counts of the files.
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词2个"));
    EXPECT_EQ(Shell().LbreviewCount->text(), QStringLiteral("需复习单词2个"));
    EXPECT_EQ(Shell().LBzhongCount->text(), QStringLiteral("单词总数量7个"));
    EXPECT_EQ(Shell().WordForm1()->Label1->text(),
              QStringLiteral("单词共5个单词，已经掌握2个，需复习单词2个：  "));
    EXPECT_EQ(Shell().WordForm1()->TcNewLearnlist->currentText(), QStringLiteral("one[wQn]num.一"));

    // Loading the same bank again gives the same file.
    const QByteArray first = ReadBytes("Bob/Bob1.bm");
    Shell().SpeedButton12->click();
    Load(QStringLiteral("数字"));
    EXPECT_EQ(ReadBytes("Bob/Bob1.bm"), first);
    EXPECT_TRUE(first.endsWith("\r\n"));
}

TEST_F(WordBankTest, FailuresKeepTheWindowOpenAndWriteNothing) {
    const QByteArray before = ReadBytes("Bob/Bob1.bm");
    struct Case {
        QString name;
        QString errorPart;
    };
    // A bank in no encoding the program reads (binary data) is refused, never copied garbled.
    QFile binary(appDir_ + "Worddata/坏的.dst");
    ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray("\x01\x00\x00\x02\x00\x00\x00\x03", 8));
    binary.close();
    const Case cases[] = {
        {QStringLiteral("没有这个"), QStringLiteral("File not found")},
        {QString(), QStringLiteral("词库名称")},
        {QStringLiteral("../Bob/Bob1"), QStringLiteral("词库名称")},
        {QStringLiteral("坏的"),
         QStringLiteral("词库“") + appDir_ + "Worddata/坏的.dst”的文字编码无法识别"},
    };
    for (const auto& c : cases) {
        messages_.Clear();
        Load(c.name);
        const QStringList errors = messages_.Texts(MessageRecorder::Kind::Error);
        ASSERT_EQ(errors.size(), 1) << c.name.toStdString();
        EXPECT_TRUE(errors.front().contains(c.errorPart)) << errors.front().toStdString();
        EXPECT_TRUE(bank_->isVisible());
        EXPECT_EQ(ReadBytes("Bob/Bob1.bm"), before);
    }
}

TEST_F(WordBankTest, ReplacingNewWordsIsAskedFirstAndCancelChangesNothing) {
    const QByteArray before = ReadBytes("Bob/Bob1.bm");
    messages_.ScriptAnswers({MessageService::Answer::Cancel});
    Load(QStringLiteral("数字"));
    ASSERT_EQ(messages_.Texts(), QStringList{ReplaceQuestion(1)});
    EXPECT_EQ(messages_.Messages().front().caption, QStringLiteral("加到词库"));
    EXPECT_EQ(ReadBytes("Bob/Bob1.bm"), before);
    EXPECT_EQ(state_.NewList.Lines(), std::vector<std::string>{"old[EUld]adj.旧的"});
    EXPECT_TRUE(bank_->isVisible());
    // An empty new-word list has nothing to lose: no question.
    state_.NewList.Replace({});
    messages_.Clear();
    Load(QStringLiteral("数字"));
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();
    EXPECT_EQ(state_.NewList.Lines(), BankCopied);
}

TEST_F(WordBankTest, MissingNewWordFileIsReportedThenMade) {
    ASSERT_TRUE(QFile::remove(appDir_ + "Bob/Bob1.bm"));
    Load(QStringLiteral("数字"));
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Inform),
              QStringList{QStringLiteral(
                  "您的数据库文件不存在，\r\n   你可按”清空我的词库“恢复一个新词库")});
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), BankCopied);
    EXPECT_FALSE(bank_->isVisible());
}

TEST_F(WordBankTest, MissingLearnerFolderIsAnError) {
    ASSERT_TRUE(QDir(appDir_ + "Bob").removeRecursively());
    Load(QStringLiteral("数字"));
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_TRUE(bank_->isVisible());
    EXPECT_FALSE(Exists("Bob"));
}

TEST_F(WordBankTest, AFailedReloadIsReportedAndKeepsTheWindowOpen) {
    // The review file cannot be read: the lists never loaded completely, and reloading
    // them after the copy fails again.
    ASSERT_TRUE(QFile::remove(appDir_ + "Bob/Bob3.bm"));
    ASSERT_TRUE(QDir(appDir_).mkpath("Bob/Bob3.bm"));
    ASSERT_FALSE(Shell().WordForm1()->MYSBt1Click());
    messages_.Clear();
    Load(QStringLiteral("数字"));
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), BankCopied);
    ASSERT_EQ(messages_.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_TRUE(messages_.Texts(MessageRecorder::Kind::Error).front().contains("Bob3.bm"));
    EXPECT_TRUE(bank_->isVisible());
}

TEST_F(WordBankTest, SettingsButtonWritesFiveLinesAndChangesNoList) {
    const QString total = Shell().LBzhongCount->text();
    for (int i = 0; i < 2; ++i) {
        bank_->newMywordbook->click();
        EXPECT_EQ(ReadBytes("Bob/Bob.bm"), QByteArray("0\r\n0\r\n0\r\n0\r\n10\r\n"));
    }
    EXPECT_TRUE(bank_->isVisible());
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), std::vector<std::string>{"old[EUld]adj.旧的"});
    EXPECT_EQ(Shell().LBzhongCount->text(), total);
    EXPECT_TRUE(messages_.Texts().isEmpty());
}

TEST_F(WordBankTest, CloseHidesAndTheCatalogueIsReadAtEveryShowing) {
    bank_->Formclose1->click();
    EXPECT_FALSE(bank_->isVisible());
    EXPECT_EQ(Shell().Wordstoreroom1(), bank_);
    MakeBank("新的", {"new[nju:]adj.新的"});
    Shell().SpeedButton12->click();
    EXPECT_EQ(Shell().Wordstoreroom1(), bank_);
    EXPECT_EQ(bank_->ListBox1->count(), 3);
    bank_->close();
    EXPECT_EQ(Shell().Wordstoreroom1(), bank_);

    // A missing catalogue is reported and the list stays as it was.
    ASSERT_TRUE(QFile::remove(appDir_ + "Ebook.txt"));
    Shell().SpeedButton12->click();
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_EQ(bank_->ListBox1->count(), 3);
}

TEST_F(WordBankTest, StudyContentConfirmAndClose) {
    TWordForm1* form = Shell().WordForm1();
    struct Case {
        QRadioButton* radio;
        const char* button;
        int before;
        int after;
    };
    const Case cases[] = {
        {form->RadioButton2, "Btlookwordlist", 1, 2}, {form->RadioButton3, "Btlookwordlist", 1, 3},
        {form->RadioButton1, "Btlookwordlist", 3, 1}, {form->RadioButton2, "SpeedButton1", 1, 1},
        {form->RadioButton3, "SpeedButton1", 2, 2},
    };
    for (const auto& c : cases) {
        state_.ContentKind = core::StudyContent(c.before);
        Shell().SpeedButton13->click();
        ASSERT_TRUE(form->isVisible());
        c.radio->setChecked(true);
        form->findChild<QPushButton*>(QString::fromLatin1(c.button))->click();
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(state_.ContentKind, core::StudyContent(c.after)) << c.button;
    }
}

TEST_F(WordBankTest, StudyContentShowsTheListsFromLineZero) {
    TWordForm1* form = Shell().WordForm1();
    state_.CurrentEntry = "emu[i:mju:]n.鸸鹋";
    state_.AddToReview();
    Shell().SpeedButton13->click();
    EXPECT_EQ(form->TcreviewCount1->count(), 2);
    form->TcreviewCount1->setCurrentIndex(1);
    form->SpeedButton1->click();
    Shell().SpeedButton13->click();
    EXPECT_EQ(form->TcreviewCount1->currentIndex(), 0);
    EXPECT_EQ(form->TcreviewCount1->currentText(), QStringLiteral("dog[dCg]n.狗"));
    EXPECT_EQ(form->TcNewLearnlist->currentText(), QStringLiteral("old[EUld]adj.旧的"));
    EXPECT_EQ(form->Tcalreadymastery1->currentText(), QStringLiteral("cat[kAt]n.猫"));
    // The combo boxes follow the lists.
    state_.RemoveFromReview(0, true);
    EXPECT_EQ(form->TcreviewCount1->count(), 1);
    EXPECT_EQ(form->TcreviewCount1->itemText(0), QStringLiteral("emu[i:mju:]n.鸸鹋"));
    state_.RemoveFromNew(0);
    EXPECT_EQ(form->TcNewLearnlist->count(), 0);
    EXPECT_EQ(form->TcreviewCount1->maxVisibleItems(), 38);
}

} // namespace
