// The word-bank window's import and export controls, and a program whose own folder is not
// where it writes.
#include "shellfixture.h"

#include "core/textfile.h"
#include "learner/wordform.h"
#include "learner/wordstoreroom.h"
#include "modes/wordsentenceforrm.h"
#include "modes/yinbiaoform.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

using Lines = std::vector<std::string>;

class WordExchangeWindowTest : public ShellTest {
protected:
    void SetUp() override {
        MakePictures();
        MakeBank("数字", {"one[wQn]num.一"});
        MakeLearner("Bob", {"old[EUld]adj.旧的"}, {"cat[kAt]n.猫", "no phonetic"},
                    {"dog[dCg]n.狗"});
        StartWith("Bob", "SbOpen1");
        Shell().SpeedButton12->click();
        bank_ = Shell().Wordstoreroom1();
        ASSERT_NE(bank_, nullptr);
        bank_->ChooseFile = [this](bool save, const QString& suggested) {
            asked_.push_back({save, suggested});
            return chosen_;
        };
        messages_.Clear();
    }
    /// A UTF-8 file outside the program folder.
    QString Outside(const QString& name, const std::string& bytes) {
        const QString path = outside_.filePath(name);
        EXPECT_TRUE(core::WriteFileAtomic(path.toStdString(), bytes));
        return path;
    }
    /// Clicks an import button and waits until the file is read and its words are taken in.
    void Import(QPushButton* button) {
        button->click();
        EXPECT_TRUE(QTest::qWaitFor([this] { return bank_->ImportProgress == nullptr; }, 20000));
    }
    TWordstoreroom1* bank_ = nullptr;
    QTemporaryDir outside_;
    QString chosen_;
    std::vector<std::pair<bool, QString>> asked_;
};

TEST_F(WordExchangeWindowTest, ImportedFileBecomesABankReadyToLoad) {
    chosen_ = Outside(QStringLiteral("我的单词.csv"), "word,ipa,meaning\nsun,sʌn,n.太阳\n");
    Import(bank_->importBank);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_FALSE(asked_.front().first);
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error), QStringList{});
    EXPECT_EQ(ReadLines("Worddata/我的单词.dst"), Lines{"sun[sQn]n.太阳"});
    EXPECT_EQ(ReadLines("Ebook.txt"), (Lines{"数字", "我的单词"}));
    EXPECT_EQ(bank_->ListBox1->count(), 2);
    EXPECT_EQ(bank_->Edit1->text(), QStringLiteral("我的单词"));
    bank_->gomywordbook->click();
    EXPECT_EQ(state_.NewList.Lines(), Lines{"sun[sQn]n.太阳"});

    // The same file again: the name is taken, nothing changes.
    messages_.Clear();
    Shell().SpeedButton12->click();
    Import(bank_->importBank);
    ASSERT_EQ(messages_.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_TRUE(messages_.Texts().front().contains(QStringLiteral("已经有名为“我的单词”的词库")));
    EXPECT_EQ(ReadLines("Ebook.txt"), (Lines{"数字", "我的单词"}));
}

TEST_F(WordExchangeWindowTest, ImportedWordsJoinTheNewListAndAreSaved) {
    chosen_ = Outside(QStringLiteral("anki.txt"),
                      "#separator:tab\nsun\t[sʌn] n.太阳\nCAT\t[kæt] n.猫\nsun\t[sʌn] n.太阳\n");
    Import(bank_->importWords);
    EXPECT_EQ(state_.NewList.Lines(), (Lines{"old[EUld]adj.旧的", "sun[sQn]n.太阳"}));
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), (Lines{"old[EUld]adj.旧的", "sun[sQn]n.太阳"}));
    EXPECT_EQ(messages_.Texts(),
              QStringList{QStringLiteral("已把1个单词加入未学的单词；2个单词已在您的单词表中。")});
    EXPECT_EQ(Shell().LBzhongCount->text(), QStringLiteral("单词总数量5个"));
    EXPECT_EQ(Shell().WordForm1()->TcNewLearnlist->count(), 2);
}

TEST_F(WordExchangeWindowTest, BadFilesAndCancelsChangeNothing) {
    const QByteArray before = ReadBytes("Bob/Bob1.bm");
    struct Case {
        QString file;
        const char* says; ///< part of the error; empty when nothing is said
    };
    const Case cases[] = {
        {QString(), ""},
        {Outside(QStringLiteral("no-encoding.csv"), "word,meaning\nbook,n.\xCA\xE9\xFF\n"),
         "第2行"},
        {Outside(QStringLiteral("broken.kvtml"), "<kvtml>\n<entries>\n<entry>\n</kvtml>\n"),
         "第4行"},
        {Outside(QStringLiteral("one.csv"), "apple\n"), "只有一列"},
        {outside_.filePath(QStringLiteral("missing.csv")), "missing.csv"},
    };
    for (const Case& c : cases) {
        chosen_ = c.file;
        for (QPushButton* button : {bank_->importBank, bank_->importWords}) {
            messages_.Clear();
            Import(button);
            const QStringList errors = messages_.Texts(MessageRecorder::Kind::Error);
            if (*c.says == '\0') {
                EXPECT_TRUE(messages_.Texts().isEmpty());
            } else {
                ASSERT_EQ(errors.size(), 1) << c.says;
                EXPECT_TRUE(errors.front().contains(QString::fromUtf8(c.says)))
                    << errors.front().toStdString();
            }
        }
    }
    EXPECT_EQ(ReadBytes("Bob/Bob1.bm"), before);
    EXPECT_EQ(ReadLines("Ebook.txt"), Lines{"数字"});
    EXPECT_EQ(bank_->ListBox1->count(), 1);
}

TEST_F(WordExchangeWindowTest, ALongImportShowsItsProgressAndCanBeCancelled) {
    std::string csv = "word,meaning\n";
    for (int i = 0; i < 20000; ++i) {
        csv.append("w").append(std::to_string(i)).append(",n.词\n");
    }
    const QString big = Outside(QStringLiteral("big.csv"), csv);
    const QString small = Outside(QStringLiteral("small.csv"), "sun,n.太阳\n");
    const QByteArray before = ReadBytes("Bob/Bob1.bm");

    // Cancelled at once: whatever the worker has done by then, nothing of it arrives.
    chosen_ = big;
    bank_->importWords->click();
    QProgressDialog* progress = bank_->ImportProgress;
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(progress->labelText().contains(QStringLiteral("big.csv")));
    bank_->importBank->click(); // no second import while one reads
    EXPECT_EQ(asked_.size(), 1u);
    QPushButton* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_EQ(bank_->ImportProgress, nullptr);
    // The worker takes its tasks in turn: once the next import is in, the first one is over.
    chosen_ = small;
    Import(bank_->importWords);
    EXPECT_EQ(state_.NewList.Lines(), (Lines{"old[EUld]adj.旧的", "sun[]n.太阳"}));
    EXPECT_EQ(messages_.Texts().size(), 1);
    EXPECT_NE(ReadBytes("Bob/Bob1.bm"), before);

    // Not cancelled: the bar moves on while the worker reads, and the words arrive.
    messages_.Clear();
    chosen_ = big;
    bank_->importWords->click();
    ASSERT_NE(bank_->ImportProgress, nullptr);
    std::vector<int> values;
    auto* bar = bank_->ImportProgress->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    QObject::connect(bar, &QProgressBar::valueChanged,
                     [&values](int value) { values.push_back(value); });
    ASSERT_TRUE(QTest::qWaitFor([this] { return bank_->ImportProgress == nullptr; }, 20000));
    EXPECT_EQ(state_.NewList.size(), 20002u);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](int v) { return v > 0 && v < 100; }));
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
}

/// A word file in German alone: the import asks which language is which.
constexpr const char* GermanOnly =
    "<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"><name>Deutsch</name>"
    "<locale>de</locale></identifier></identifiers><entries><entry id=\"0\"><translation "
    "id=\"0\"><text>Hund</text><comment>bellt</comment></translation></entry></entries></kvtml>";

TEST_F(WordExchangeWindowTest, AFileWithoutEnglishAsksForItsLanguages) {
    chosen_ = Outside(QStringLiteral("tiere.kvtml"), GermanOnly);
    struct Case {
        std::optional<exchange::KvtmlColumns> answer;
        Lines lines;
    };
    const Case cases[] = {
        {std::nullopt, {"old[EUld]adj.旧的"}},
        {exchange::KvtmlColumns{0, std::nullopt}, {"old[EUld]adj.旧的", "Hund[]bellt"}},
    };
    for (const Case& c : cases) {
        QStringList asked;
        bank_->ChooseLanguages = [&](const QString& path,
                                     const std::vector<exchange::KvtmlLanguage>& languages) {
            asked << path;
            for (const exchange::KvtmlLanguage& language : languages) {
                asked << exchange::LanguageText(language);
            }
            return c.answer;
        };
        messages_.Clear();
        Import(bank_->importWords);
        EXPECT_EQ(asked, (QStringList{chosen_, QStringLiteral("Deutsch (de)")}));
        EXPECT_EQ(state_.NewList.Lines(), c.lines);
        EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error), QStringList{});
    }
}

TEST_F(WordExchangeWindowTest, AQuickImportsBarStaysClosedUnderTheQuestionThatFollows) {
    // The question is a dialog with an event loop of its own, open for longer than the bar's
    // minimum duration: the bar of the import that just ended must not come back over it.
    chosen_ = Outside(QStringLiteral("tiere.kvtml"), GermanOnly);
    QWidget* modal = nullptr;
    bank_->ChooseLanguages = [&](const QString&, const std::vector<exchange::KvtmlLanguage>&) {
        QEventLoop loop;
        QTimer::singleShot(600, &loop, &QEventLoop::quit);
        loop.exec();
        modal = QApplication::activeModalWidget();
        return std::optional<exchange::KvtmlColumns>();
    };
    Import(bank_->importWords);
    EXPECT_EQ(modal, nullptr);
}

TEST_F(WordExchangeWindowTest, ExportWritesTheChosenListsInTheFileFormat) {
    // Studied since the start, not yet saved: the export takes the lists as they are now.
    state_.CurrentEntry = "egg[eg]n.蛋";
    ASSERT_TRUE(state_.AddToReview());
    struct Case {
        int list;
        const char* file;
        const char* holds;
        const char* lacks;
    };
    const Case cases[] = {
        {0, "all.csv", ",review\r\n", "no phonetic"},
        {2, "mastered.txt", "cat\t[kæt] n.猫\tlangjitong::mastered\n", "dog"},
        {3, "review.kvtml", "<text>egg</text>", "cat"},
        {1, "new.csv", "old,əUld,adj.旧的", "cat"},
    };
    for (const Case& c : cases) {
        messages_.Clear();
        bank_->CbExportList->setCurrentIndex(c.list);
        chosen_ = outside_.filePath(QString::fromLatin1(c.file));
        bank_->exportWords->click();
        EXPECT_TRUE(asked_.back().first);
        EXPECT_TRUE(asked_.back().second.endsWith(QStringLiteral("Bob.csv")));
        QFile file(chosen_);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.file;
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.holds))) << c.file << "\n"
                                                               << text.toStdString();
        EXPECT_FALSE(text.contains(QString::fromUtf8(c.lacks))) << c.file;
        ASSERT_EQ(messages_.Texts(MessageRecorder::Kind::Inform).size(), 1) << c.file;
    }
    // All lists: one entry is not of the form word[phonetic]meaning and is left out.
    bank_->CbExportList->setCurrentIndex(0);
    chosen_ = outside_.filePath(QStringLiteral("again.csv"));
    messages_.Clear();
    bank_->exportWords->click();
    EXPECT_TRUE(messages_.Texts().value(0).contains(QStringLiteral("已把4个单词导出")));
    EXPECT_TRUE(messages_.Texts().value(0).contains(QStringLiteral("有1行")));

    // A file name without a known extension says which ones to use; nothing is written.
    messages_.Clear();
    chosen_ = outside_.filePath(QStringLiteral("words.doc"));
    bank_->exportWords->click();
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_FALSE(QFile::exists(chosen_));
}

TEST_F(WordExchangeWindowTest, ControlsShowTheirCaptions) {
    EXPECT_EQ(bank_->importBank->text(), QStringLiteral("导入词库"));
    EXPECT_EQ(bank_->importWords->text(), QStringLiteral("导入生词"));
    EXPECT_EQ(bank_->exportWords->text(), QStringLiteral("导出单词"));
    EXPECT_EQ(bank_->Label4->buddy(), bank_->CbExportList);
    EXPECT_EQ(bank_->CbExportList->count(), 4);
    for (QWidget* control : std::initializer_list<QWidget*>{
             bank_->importBank, bank_->importWords, bank_->CbExportList, bank_->exportWords}) {
        EXPECT_TRUE(control->isVisibleTo(bank_));
        EXPECT_TRUE(bank_->rect().contains(control->mapTo(bank_, QPoint(0, 0))));
    }
}

// Installed read-only: the program reads its folder and writes only to the learner data
// folder, from the sign-in to the save at the end.
class ReadOnlyProgramTest : public ShellTest {
protected:
    void SetUp() override {
        learnerDir_ = home_.path() + QLatin1Char('/');
        MakePictures();
        MakeBank("数字", {"one[wQn]num.一", "two[tu:]num.二"});
        WriteLines("Worddata/sentence34085.txt", {"Three cats.‖三只猫。"});
        RegisterLookupWindow(Shell());
        for (const char* lesson : {"yinbiao.txt", "发音规则.txt", "字母组合.txt"}) {
            WriteLines(QStringLiteral("yb48/") + QString::fromUtf8(lesson), Lines(48, "x"));
        }
        RegisterLessonWindow(Shell(), [](QObject* parent) -> sound::MediaPlayer* {
            return new sound::ScriptedPlayer(parent);
        });
        before_ = Entries(appDir_);
    }
    static QStringList Entries(const QString& dir) {
        QStringList all;
        QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            all << it.next().mid(dir.size());
        }
        all.sort();
        return all;
    }
    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir home_;
    QStringList before_;
};

TEST_F(ReadOnlyProgramTest, EverythingWrittenGoesToTheLearnerDataFolder) {
    StartWith("Ann", "SBfriend");
    ASSERT_EQ(state_.LearnerName, "Ann");
    EXPECT_EQ(state_.LearnerDataDir, learnerDir_.toStdString());
    TWordstoreroom1* bank = Shell().Wordstoreroom1();
    ASSERT_NE(bank, nullptr);

    QTemporaryDir outside;
    const QString file = outside.filePath(QStringLiteral("自己的.csv"));
    ASSERT_TRUE(core::WriteFileAtomic(file.toStdString(), "three,θriː,num.三\n"));
    bank->ChooseFile = [file](bool, const QString&) { return file; };
    bank->importBank->click();
    ASSERT_TRUE(QTest::qWaitFor([bank] { return bank->ImportProgress == nullptr; }, 20000));
    EXPECT_EQ(bank->ListBox1->count(), 2);
    bank->Edit1->setText(QStringLiteral("自己的"));
    bank->gomywordbook->click();
    EXPECT_EQ(state_.NewList.Lines(), Lines{"three[Wri:]num.三"});
    Shell().SpeedButton12->click();
    bank->Edit1->setText(QStringLiteral("数字"));
    bank->gomywordbook->click();
    bank->newMywordbook->click();

    // The lookup searches the learner's own bank too; its pages go to the learner's folder.
    Shell().closelookword->click();
    auto* lookup = qobject_cast<TWordSentenceForrm*>(Shell().SlotWindow(ModeSlot::Lookup));
    ASSERT_NE(lookup, nullptr);
    lookup->Edit1->setText(QStringLiteral("three"));
    lookup->BiInput1->click();
    ASSERT_TRUE(QTest::qWaitFor([lookup] { return !lookup->SearchBusy(); }, 10000));
    const std::string page = core::Gb18030ToUtf8(ReadFile(learnerDir_ + "1.htm").toStdString());
    EXPECT_NE(page.find("自己的"), std::string::npos) << page;

    // The phonetic lessons write their page and the learner's recording there too.
    Shell().SpeedButton1->click();
    auto* lessons = qobject_cast<TyinbiaoForm1*>(Shell().SlotWindow(ModeSlot::Phonetic));
    ASSERT_NE(lessons, nullptr);
    lessons->SpeedButton1->click();
    EXPECT_EQ(ReadFile(learnerDir_ + "Temp.wav").size(), 44);
    EXPECT_TRUE(messages_.Texts(MessageRecorder::Kind::Error).isEmpty())
        << messages_.Texts().join('|').toStdString();
    ASSERT_TRUE(Shell().close());

    EXPECT_EQ(Entries(appDir_), before_);
    // The learner's backups (Ann/backup/...) are the list safety's business.
    QStringList written = Entries(learnerDir_);
    written.removeIf([](const QString& entry) { return entry.startsWith(u"Ann/backup"); });
    EXPECT_EQ(written, (QStringList{"1.htm", "2.htm", "3.htm", "Ann", "Ann/Ann.bm", "Ann/Ann1.bm",
                                    "Ann/Ann2.bm", "Ann/Ann3.bm", "Ann/history.log", "Ebook.txt",
                                    "Temp.wav", "Worddata", "Worddata/自己的.dst"}));
    std::vector<std::string> lines;
    ASSERT_TRUE(core::ReadTextLines((learnerDir_ + "Ann/Ann1.bm").toStdString(), lines));
    EXPECT_EQ(lines, (Lines{"one[wQn]num.一", "two[tu:]num.二"}));
}

} // namespace
