// The phonetic-lesson window's wiring, driven through the main window's "音标学习(&P)" with the
// message recorder and a scripted player. The page texts are tested in tests/core; here the
// buttons, the page file and view, the recording timer and the mended faults are checked.
#include "shellfixture.h"

#include "core/lessonpage.h"
#include "core/textfile.h"
#include "host/htmlview.h"
#include "modes/yinbiaoform.h"

#include <QFontInfo>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

namespace {

using Kind = MessageRecorder::Kind;
using Lines = std::vector<std::string>;
using Op = sound::ScriptedPlayer::Op;

Lines Numbered(const std::string& prefix, int n) {
    Lines lines;
    for (int k = 1; k <= n; ++k) {
        lines.push_back(prefix + std::to_string(k));
    }
    return lines;
}

class LessonWindowTest : public ShellTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        Data(48, 48, 48);
        RegisterLessonWindow(Shell(), [](QObject* parent) -> sound::MediaPlayer* {
            return new sound::ScriptedPlayer(parent);
        });
        // Mode windows set themselves up when they become visible.
        Shell().show();
        Shell().resize(1000, 700);
    }
    /// The three lesson files with the given number of lines (-1: the file is missing).
    void Data(int captions, int rules, int combinations) {
        auto write = [this](const QString& name, const std::string& prefix, int n) {
            QFile::remove(appDir_ + "yb48/" + name);
            if (n >= 0) {
                WriteLines("yb48/" + name, Numbered(prefix, n));
            }
        };
        write(QStringLiteral("yinbiao.txt"), "s", captions);
        write(QStringLiteral("发音规则.txt"), "规则", rules);
        write(QStringLiteral("字母组合.txt"), "组合", combinations);
    }
    TyinbiaoForm1* Open() {
        Shell().SpeedButton1->click();
        return Window();
    }
    TyinbiaoForm1* Window() {
        return qobject_cast<TyinbiaoForm1*>(Shell().SlotWindow(ModeSlot::Phonetic));
    }
    sound::ScriptedPlayer& Player() {
        return *static_cast<sound::ScriptedPlayer*>(Window()->MediaPlayer1);
    }
    QString Temp() const { return appDir_ + "Temp.wav"; }
    QString Sound(int k) const { return appDir_ + QStringLiteral("yb48/yb48_%1.wav").arg(k); }
    /// "3.htm" as the page's text (GB18030 decoded).
    std::string PageFile() {
        const QByteArray bytes = ReadBytes(QStringLiteral("3.htm"));
        return core::Gb18030ToUtf8(std::string_view(bytes.constData(), bytes.size()));
    }
    void Record(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            ASSERT_TRUE(Window()->yinbiaoTimer1->isActive()) << "tick " << i;
            Window()->yinbiaoTimer1Timer();
        }
    }
};

TEST_F(LessonWindowTest, OpeningMakesTheKeyboardAndShowsTheOverview) {
    TyinbiaoForm1* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QStringLiteral("yinbiaoForm1"));
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(238, 238, 255));
    EXPECT_EQ(Shell().Colour(), QColor(238, 238, 255));
    EXPECT_EQ(w->yinbaioPanel1->size(), QSize(580, 408));
    EXPECT_EQ(w->yinbaioPanel1->palette().color(QPalette::Window), QColor(255, 202, 149));
    const QPoint offCentre = w->yinbaioPanel1->geometry().center() - w->rect().center();
    EXPECT_LE(offCentre.manhattanLength(), 2);

    for (int k = 1; k <= 48; ++k) {
        SCOPED_TRACE(k);
        QPushButton* b = w->SymbolButton(k);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->parentWidget(), w->yinbaioPanel1);
        EXPECT_EQ(b->text(), QStringLiteral("s%1").arg(k));
        EXPECT_EQ(b->property("Tag").toInt(), k);
        const core::SymbolPlace place = core::SymbolButtonPlace(k);
        EXPECT_EQ(b->geometry(), QRect(place.left, place.top, 50, 50));
        EXPECT_EQ(b->font().family(), QStringLiteral("DFPhonetic"));
        EXPECT_EQ(b->font().pointSize(), 30);
        EXPECT_EQ(b->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
        EXPECT_TRUE(b->isFlat());
        EXPECT_TRUE(b->isEnabled());
    }
    EXPECT_EQ(w->SymbolButton(41)->y(), w->SymbolButton(48)->y());
    EXPECT_EQ(w->SymbolButton(49), nullptr);

    EXPECT_EQ(w->SpeedButton1->geometry(), QRect(421, 201, 50, 50));
    EXPECT_TRUE(w->SpeedButton1->text().isEmpty());
    EXPECT_FALSE(w->SpeedButton1->icon().isNull());
    EXPECT_FALSE(w->SpeedButton1->accessibleName().isEmpty());
    EXPECT_EQ(w->closefrom1->text(), QStringLiteral("bye-bye"));
    EXPECT_EQ(w->closefrom1->geometry(), QRect(473, 201, 50, 50));
    // The record button stays pressable where the fifth row reaches under it.
    EXPECT_EQ(w->yinbaioPanel1->childAt(425, 225), w->SpeedButton1);
    EXPECT_EQ(w->YBWebBrowser1->height(), 155);
    EXPECT_EQ(w->YBWebBrowser1->geometry().bottom(), w->yinbaioPanel1->height() - 2);
    EXPECT_EQ(w->yinbiaoTimer1->interval(), 10);
    EXPECT_FALSE(w->yinbiaoTimer1->isActive());

    EXPECT_EQ(PageFile(), core::OverviewPage() + "\r\n");
    const QString shown = w->YBWebBrowser1->toPlainText();
    const QStringList lines = shown.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 6) << shown.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("  长元音：  i:,E:,a:,C:,u:"));
    EXPECT_EQ(lines[5], QStringLiteral("  半元音:   dV,dr,m,n,N,l,j,w"));
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();
    EXPECT_TRUE(Player().Played().isEmpty());
}

TEST_F(LessonWindowTest, ASymbolPlaysItsSoundAndShowsItsLesson) {
    TyinbiaoForm1* w = Open();
    struct Case {
        int k;
        QString category;
    };
    const Case cases[] = {{1, QStringLiteral("清辅音")},
                          {22, QStringLiteral("浊辅音")},
                          {27, QStringLiteral("半元音(或浊辅音)")},
                          {48, QStringLiteral("双元音")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k);
        w->SymbolButton(c.k)->click();
        EXPECT_EQ(Player().Played().last(), Sound(c.k));
        const std::string n = std::to_string(c.k);
        EXPECT_EQ(PageFile(), core::SymbolPage(c.k, "s" + n, "规则" + n, "组合" + n) + "\r\n");
        const QString shown = w->YBWebBrowser1->toPlainText();
        // Runs of blanks collapse in HTML; the non-breaking ones stay.
        EXPECT_EQ(shown.trimmed(),
                  QStringLiteral("s%1  %2\n    规则%1\n字母组合 组合%1").arg(c.k).arg(c.category));
        EXPECT_FALSE(shown.contains(QStringLiteral("长元音")));
    }
    EXPECT_EQ(Player().Played().size(), 4);
    EXPECT_TRUE(messages_.Messages().isEmpty());
}

TEST_F(LessonWindowTest, RecordingRunsEightyOneTicksThenPlaysTheRecordingBack) {
    TyinbiaoForm1* w = Open();
    w->SpeedButton1->click();
    EXPECT_EQ(Player().Calls(), (QStringList{"Close", "SetFileName " + Temp(), "Open", "Record"}));
    EXPECT_EQ(ReadBytes("Temp.wav").size(), 44);
    Record(81);
    EXPECT_EQ(w->Recording().RecordTicks, 81);
    Player().ClearCalls();
    Record(1);
    EXPECT_FALSE(w->yinbiaoTimer1->isActive());
    EXPECT_EQ(Player().Calls(), (QStringList{"Stop", "SetFileName " + Temp(), "Save", "Close",
                                             "SetFileName " + Temp(), "Open", "Play"}));
    EXPECT_EQ(Player().Played(), QStringList{Temp()});

    // Pressing record again while recording starts afresh.
    w->SpeedButton1->click();
    Record(30);
    w->SpeedButton1->click();
    EXPECT_EQ(w->Recording().RecordTicks, 0);
    Record(82);
    EXPECT_FALSE(w->yinbiaoTimer1->isActive());
    EXPECT_TRUE(messages_.Messages().isEmpty());
}

TEST_F(LessonWindowTest, ASymbolClickDuringARecordingDropsItSoNoLessonSoundIsOverwritten) {
    TyinbiaoForm1* w = Open();
    w->SpeedButton1->click();
    Record(20);
    Player().ClearCalls();
    w->SymbolButton(5)->click();
    EXPECT_FALSE(w->yinbiaoTimer1->isActive());
    EXPECT_FALSE(Player().Calls().contains(QStringLiteral("Save")));
    EXPECT_EQ(Player().Played(), QStringList{Sound(5)});
    EXPECT_FALSE(Player().IsRecording());
    w->yinbiaoTimer1Timer(); // a late tick
    EXPECT_FALSE(Player().Calls().contains(QStringLiteral("Save")));
    EXPECT_EQ(Player().FileName(), Sound(5));
}

TEST_F(LessonWindowTest, RecordingFailuresShowTheirMessages) {
    TyinbiaoForm1* w = Open();
    Player().FailOn(Op::Record);
    w->SpeedButton1->click();
    EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{QStringLiteral("媒体设备初始化失败！")});
    EXPECT_FALSE(w->yinbiaoTimer1->isActive());

    Player().FailOn(Op::Record, false);
    Player().FailOn(Op::Save);
    messages_.Clear();
    w->SpeedButton1->click();
    Record(82);
    EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{QStringLiteral("保存声音文件出错!")});
    EXPECT_EQ(Player().Played(), QStringList{Temp()}) << "the playback is still tried";
    EXPECT_FALSE(w->yinbiaoTimer1->isActive());
}

TEST_F(LessonWindowTest, MissingOrShortDataIsNamedAndLeavesOnlyUsableButtons) {
    struct Case {
        const char* name;
        int captions, rules, combinations;
        QStringList errors; ///< the error texts name these files
        int usable;         ///< enabled symbol buttons
    };
    const Case cases[] = {
        {"captions missing", -1, 48, 48, {"yinbiao.txt"}, 0},
        {"captions short", 40, 48, 48, {"yinbiao.txt"}, 40},
        {"rules short", 48, 10, 48, {"发音规则.txt"}, 48},
        {"all missing", -1, -1, -1, {"字母组合.txt", "发音规则.txt", "yinbiao.txt"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Data(c.captions, c.rules, c.combinations);
        messages_.Clear();
        TyinbiaoForm1* w = Open();
        ASSERT_NE(w, nullptr);
        const QStringList errors = messages_.Texts(Kind::Error);
        ASSERT_EQ(errors.size(), c.errors.size()) << errors.join('|').toStdString();
        for (int i = 0; i < errors.size(); ++i) {
            EXPECT_TRUE(errors[i].contains(appDir_ + "yb48/" + c.errors[i]))
                << errors[i].toStdString();
        }
        int usable = 0;
        for (int k = 1; k <= 48; ++k) {
            usable += w->SymbolButton(k)->isEnabled() ? 1 : 0;
        }
        EXPECT_EQ(usable, c.usable);
        if (c.usable > 20) {
            // A symbol beyond the short rule file shows its page without the rule.
            w->SymbolButton(20)->click();
            EXPECT_EQ(PageFile(),
                      core::SymbolPage(20, "s20", c.rules >= 20 ? "规则20" : "", "组合20") +
                          "\r\n");
        }
        w->close();
        Settle();
    }
}

TEST_F(LessonWindowTest, ClicksLetInWhileTheDeviceIsPreparedStartNothing) {
    TyinbiaoForm1* w = Open();
    QMetaObject::invokeMethod(w->SymbolButton(3), "click", Qt::QueuedConnection);
    QMetaObject::invokeMethod(w, "SpeedButton1Click", Qt::QueuedConnection);
    w->SpeedButton1->click();
    EXPECT_EQ(Player().Calls().count(QStringLiteral("Record")), 1);
    EXPECT_TRUE(Player().Played().isEmpty());
    EXPECT_TRUE(Player().IsRecording());

    // Closed meanwhile: nothing is left recording, and the window goes once the click ends.
    w->close();
    Settle();
    QPointer<TyinbiaoForm1> again = Open();
    auto* player = static_cast<sound::ScriptedPlayer*>(again->MediaPlayer1);
    QMetaObject::invokeMethod(again, "close", Qt::QueuedConnection);
    again->SpeedButton1->click();
    ASSERT_FALSE(again.isNull());
    EXPECT_FALSE(player->IsRecording());
    EXPECT_FALSE(again->yinbiaoTimer1->isActive());
    Settle();
    EXPECT_TRUE(again.isNull());
}

TEST_F(LessonWindowTest, ReopeningKeepsAnOpenWindowAndRebuildsAClosedOne) {
    TyinbiaoForm1* w = Open();
    w->SymbolButton(7)->click();
    const std::string lesson = PageFile();
    EXPECT_EQ(Open(), w);
    EXPECT_EQ(PageFile(), lesson);
    EXPECT_EQ(w->findChildren<QPushButton*>().size(), 50);

    w->SpeedButton1->click();
    w->closefrom1->click();
    Settle();
    EXPECT_EQ(Window(), nullptr);
    TyinbiaoForm1* fresh = Open();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(PageFile(), core::OverviewPage() + "\r\n");
}

TEST_F(LessonWindowTest, ThePhoneticTypefaceRendersInThePage) {
    TyinbiaoForm1* w = Open();
    QTextDocument* doc = w->YBWebBrowser1->document();
    bool phoneticFragment = false;
    for (QTextBlock b = doc->begin(); b != doc->end(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.text().contains(QStringLiteral("i:,E:"))) {
                phoneticFragment = f.charFormat().fontFamilies().toStringList().contains(
                    QStringLiteral("DFPhonetic"));
            }
        }
    }
    EXPECT_TRUE(phoneticFragment);
}

TEST_F(LessonWindowTest, EveryLessonIsHeadedByItsSymbolInThePhoneticTypeface) {
    TyinbiaoForm1* w = Open();
    ASSERT_NE(w, nullptr);
    for (int k = 1; k <= 48; ++k) {
        SCOPED_TRACE(k);
        w->SymbolButton(k)->click();
        const QString caption = QStringLiteral("s%1").arg(k);
        QStringList headingFamilies;
        const QTextDocument* doc = w->YBWebBrowser1->document();
        for (QTextBlock b = doc->begin(); b != doc->end() && headingFamilies.isEmpty();
             b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                if (it.fragment().text() == caption) {
                    headingFamilies = it.fragment().charFormat().fontFamilies().toStringList();
                    EXPECT_TRUE(it.fragment().charFormat().font().bold());
                    break;
                }
            }
        }
        EXPECT_EQ(headingFamilies, QStringList{QStringLiteral("DFPhonetic")});
    }
}

} // namespace
