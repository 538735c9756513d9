// The recording window's wiring, driven through the main window's "录音跟读(&D)" with the
// injected clock, message recorder, scripted speech and scripted players. The cycle's rules
// are tested in tests/core; here each timer, button, message and mended fault is checked once.
#include "shellfixture.h"

#include "core/recordingcycle.h"
#include "modes/recordform.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

using namespace std::chrono_literals;
using Kind = MessageRecorder::Kind;
using Lines = std::vector<std::string>;
using Op = sound::ScriptedPlayer::Op;

const QString RestText = QStringLiteral("本次学习完毕   请休息几分钟！");
const QString DeviceFailed = QStringLiteral("媒体设备初始化失败！");

class RecordWindowTest : public ShellTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        state_.LearnerName = "Bob";
        state_.ColourCycle1 = 100;
        state_.ColourCycle2 = 25;
        state_.ColourCycle3 = 175;
        state_.ContentKind = core::StudyContent::NewWords;
        state_.NewList.Replace({"good[gud]adj.好的", "word[wE:d]n.词"});
        WriteLines("br.tif", {"[Mywav]", "good=good0001.wav", "word=word0001.wav"});
        ASSERT_TRUE(state_.SoundIndex.Open(state_.AppDir + "br.tif"));
        SoundFile("br/g/good0001.wav");
        SoundFile("br/w/word0001.wav");
        speech_.SetSpeakingAfterSpeak(false);
        RegisterRecordWindow(Shell(), [](QObject* parent) -> sound::MediaPlayer* {
            return new sound::ScriptedPlayer(parent);
        });
        // Mode windows set themselves up when they become visible.
        Shell().show();
    }
    void SoundFile(const QString& relative) {
        QDir().mkpath(QFileInfo(appDir_ + relative).path());
        QFile f(appDir_ + relative);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
    }
    TRecordForm1* Open() {
        // The end-of-speech watch ticks once a second after the main window is made and then
        // sets the model sound to ended; on a slow run (sanitizers on a busy machine) that
        // tick would fall amid the scripted model sound. No speech is made here.
        Shell().Timer3()->stop();
        Shell().btrecordword->click();
        return Window();
    }
    TRecordForm1* Window() {
        return qobject_cast<TRecordForm1*>(Shell().SlotWindow(ModeSlot::Recording));
    }
    sound::ScriptedPlayer& Player1() {
        return *static_cast<sound::ScriptedPlayer*>(Window()->MYRecordPlayer1);
    }
    sound::ScriptedPlayer& Player2() {
        return *static_cast<sound::ScriptedPlayer*>(Window()->MYRecordPlayer2);
    }
    QString Temp() const { return appDir_ + "Temp.wav"; }
    /// Which of "录放", "开始"/"继续", "朗读" are enabled, as "111".
    QString Buttons() {
        TRecordForm1* w = Window();
        QString s;
        for (QPushButton* b : {w->BtRecordword2, w->BtwordNext1, w->BtwordRecite1}) {
            s += b->isEnabled() ? '1' : '0';
        }
        return s;
    }
    /// Runs timer's slot n times, checking the timer runs before each tick.
    void Tick(QTimer* timer, void (TRecordForm1::*slot)(), int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(timer->isActive()) << timer->objectName().toStdString() << " tick " << i;
            (Window()->*slot)();
        }
    }
    /// "开始" with the model sound ending after `ticks` ticks of Timer1.
    void Measure(int ticks) {
        Window()->BtwordNext1->click();
        Tick(Window()->Timer1, &TRecordForm1::Timer1Timer, ticks);
        Player1().EmitNotify();
        Window()->Timer1Timer();
    }
    QColor StatusColour() { return Window()->Label4->palette().color(QPalette::WindowText); }
};

TEST_F(RecordWindowTest, OpeningShowsTheDesignAndStartsAPeriod) {
    TRecordForm1* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QStringLiteral("RecordForm1"));
    const std::pair<const char*, QString> captions[] = {
        {"Label1", QStringLiteral("录音跟读")},
        {"Label2", QStringLiteral("    welcome!")},
        {"Label3", QStringLiteral("当您去掉自动录放前面的√时，电脑读完后您需点击录放按钮。")},
        {"Label4", QStringLiteral("声音长度： ")},
    };
    for (const auto& [name, caption] : captions) {
        auto* label = w->findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text(), caption) << name;
    }
    const std::tuple<const char*, QString, bool> buttons[] = {
        {"BtRecordword2", QStringLiteral("录放"), true},
        {"BtwordNext1", QStringLiteral("开始"), true},
        {"BtwordRecite1", QStringLiteral("朗读"), false},
        {"Formclose1", QStringLiteral("Close"), true},
    };
    for (const auto& [name, caption, enabled] : buttons) {
        auto* button = w->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption) << name;
        EXPECT_EQ(button->isEnabled(), enabled) << name;
    }
    EXPECT_EQ(w->Formclose1->x(), w->width() - 58);
    EXPECT_EQ(w->CheckBox1->text(), QStringLiteral("自动录放"));
    EXPECT_TRUE(w->CheckBox1->isChecked());
    const std::tuple<const char*, int, bool> timers[] = {{"Timer1", 50, false},
                                                         {"Timer2", 50, false},
                                                         {"Timer3", 50, false},
                                                         {"Timer4", 1500, true}};
    for (const auto& [name, interval, active] : timers) {
        auto* timer = w->findChild<QTimer*>(QString::fromLatin1(name));
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_EQ(timer->interval(), interval) << name;
        EXPECT_EQ(timer->isActive(), active) << name;
    }
    EXPECT_TRUE(w->Image1->isHidden());
    EXPECT_EQ(state_.WordCursor, -1);
    EXPECT_EQ(state_.StudyDeadline, clock_.Now() + 15min);
    EXPECT_TRUE(player_.Calls().contains(QStringLiteral("Close"))) << "the shared player closes";

    // Pressing the button again with the window open only starts a new period.
    clock_.Advance(5min);
    w->BtwordNext1->click();
    Shell().btrecordword->click();
    EXPECT_EQ(Window(), w);
    EXPECT_EQ(state_.WordCursor, 0);
    EXPECT_EQ(state_.StudyDeadline, clock_.Now() + 15min);
}

TEST_F(RecordWindowTest, AutomaticCycleRunsThroughTheThreeTimers) {
    TRecordForm1* w = Open();
    w->BtwordNext1->click();
    EXPECT_EQ(w->BtwordNext1->text(), QStringLiteral("继续"));
    EXPECT_EQ(w->Label1->text(), QStringLiteral(" good"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("  gud"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral(" adj.好的"));
    EXPECT_EQ(Shell().Lbtimecount()->text(), QStringLiteral("跟读速记时间余0:15:00"));
    EXPECT_EQ(Player1().Played(), QStringList{appDir_ + "/br/g/good0001.wav"});
    EXPECT_EQ(Buttons(), QStringLiteral("000"));
    EXPECT_EQ(state_.ModelSoundPlaying, 1);

    Tick(w->Timer1, &TRecordForm1::Timer1Timer, 2);
    EXPECT_EQ(w->Label4->text(), QStringLiteral("播音长度： 2"));
    Player1().EmitNotify();
    EXPECT_EQ(state_.ModelSoundPlaying, 0);
    w->Timer1Timer();
    EXPECT_FALSE(w->Timer1->isActive());
    // "录放" was clicked by the measurement's end: the recording runs on the second player.
    EXPECT_EQ(Player2().Calls(), (QStringList{"Close", "SetFileName " + Temp(), "Open", "Record"}));
    EXPECT_EQ(ReadBytes("Temp.wav").size(), 44) << "a fresh header before recording";
    EXPECT_TRUE(w->Timer2->isActive());

    Tick(w->Timer2, &TRecordForm1::Timer2Timer, 12);
    EXPECT_EQ(w->Label4->text(), QStringLiteral("开始录音： -10"));
    EXPECT_EQ(StatusColour(), QColor(255, 0, 0));
    EXPECT_FALSE(w->Image1->isHidden());
    Player2().ClearCalls();
    w->Timer2Timer();
    EXPECT_EQ(Player2().Calls(), (QStringList{"Stop", "SetFileName " + Temp(), "Save", "Close",
                                              "SetFileName " + Temp(), "Open", "Play"}));
    EXPECT_TRUE(w->Image1->isHidden());
    EXPECT_FALSE(w->Timer2->isActive());

    Tick(w->Timer3, &TRecordForm1::Timer3Timer, 2);
    EXPECT_EQ(w->Label4->text(), QStringLiteral("听你的声音： 0"));
    EXPECT_EQ(StatusColour(), QColor(Qt::black));
    EXPECT_EQ(Buttons(), QStringLiteral("000"));
    w->Timer3Timer();
    EXPECT_FALSE(w->Timer3->isActive());
    EXPECT_EQ(w->Label4->text(), QStringLiteral("请继续： "));
    EXPECT_EQ(Buttons(), QStringLiteral("111"));
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();

    // "继续" takes the next word.
    w->BtwordNext1->click();
    EXPECT_EQ(w->Label1->text(), QStringLiteral(" word"));
    EXPECT_EQ(Player1().Played().last(), appDir_ + "/br/w/word0001.wav");
}

TEST_F(RecordWindowTest, WithoutAutomaticRecordingTheButtonsWaitForRecord) {
    TRecordForm1* w = Open();
    w->CheckBox1->setChecked(false);
    Measure(1);
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_FALSE(w->Timer2->isActive());
    EXPECT_FALSE(Player2().Calls().contains(QStringLiteral("Record")));
    EXPECT_EQ(Buttons(), QStringLiteral("111"));
    w->BtRecordword2->click();
    EXPECT_TRUE(w->Timer2->isActive());
    EXPECT_TRUE(Player2().IsRecording());
    EXPECT_EQ(Buttons(), QStringLiteral("000"));

    // After the playback, "朗读" shows the same word again and measures anew.
    Tick(w->Timer2, &TRecordForm1::Timer2Timer, 12);
    Tick(w->Timer3, &TRecordForm1::Timer3Timer, 2);
    EXPECT_EQ(Buttons(), QStringLiteral("111"));
    w->BtwordRecite1->click();
    EXPECT_EQ(w->Label1->text(), QStringLiteral(" good"));
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->Cycle().ModelTicks, 0);
}

// Mended: after the rest message every button stayed off, even in a new period or with words
// chosen to study.
TEST_F(RecordWindowTest, TheRestMessageLeavesAWayOn) {
    struct Case {
        const char* name;
        Lines list;
        std::chrono::minutes later;
        QString buttonsAfterRest;
    };
    const Case cases[] = {{"empty list", {}, 0min, QStringLiteral("010")},
                          {"time up", {"good[gud]adj.好的"}, 16min, QStringLiteral("000")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state_.NewList.Replace(c.list);
        TRecordForm1* w = Open();
        clock_.Advance(c.later);
        messages_.Clear();
        w->BtwordNext1->click();
        EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{RestText});
        EXPECT_EQ(Buttons(), c.buttonsAfterRest);
        EXPECT_FALSE(w->Timer1->isActive());
        EXPECT_EQ(w->Label1->text(), QStringLiteral("录音跟读"));
        // 录音跟读 again starts a new period and gives the buttons back; with words chosen,
        // "继续" shows the next one in the same window.
        Shell().btrecordword->click();
        EXPECT_EQ(Buttons(), QStringLiteral("111"));
        state_.NewList.Replace({"good[gud]adj.好的"});
        w->BtwordNext1->click();
        EXPECT_EQ(w->Label1->text(), QStringLiteral(" good"));
        EXPECT_TRUE(w->Timer1->isActive());
        w->close();
        Settle();
    }
}

TEST_F(RecordWindowTest, NothingChosenShowsNoWordOfAnEarlierMode) {
    state_.ContentKind = core::StudyContent::None;
    state_.CurrentEntry = "stale[steil]adj.旧的";
    TRecordForm1* w = Open();
    w->BtwordNext1->click();
    EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{RestText});
    EXPECT_EQ(w->Label1->text(), QStringLiteral("录音跟读"));
    EXPECT_TRUE(state_.CurrentEntry.empty());
    EXPECT_TRUE(Player1().Played().isEmpty());
    EXPECT_TRUE(speech_.Texts().empty());
}

TEST_F(RecordWindowTest, AModelSoundThatCannotSoundIsSpokenAndItsEndEndsTheMeasurement) {
    struct Case {
        const char* name;
        bool removeFile;
        bool failOpen;
        QStringList informs;
    };
    const Case cases[] = {
        {"file missing", true, false, {}},
        {"player fails", false, true, {DeviceFailed}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removeFile) {
            ASSERT_TRUE(QFile::remove(appDir_ + "br/g/good0001.wav"));
        }
        TRecordForm1* w = Open();
        Player1().FailOn(Op::Open, c.failOpen);
        messages_.Clear();
        speech_.ClearTexts();
        w->BtwordNext1->click();
        EXPECT_EQ(speech_.Texts(), Lines{"good"});
        EXPECT_TRUE(w->Timer1->isActive());
        w->Timer1Timer();
        EXPECT_EQ(state_.ModelSoundPlaying, 1);
        Shell().SpeechWatch(); // the speech has ended
        w->Timer1Timer();
        EXPECT_FALSE(w->Timer1->isActive());
        EXPECT_TRUE(w->Timer2->isActive()) << "the recording follows as after a played sound";
        EXPECT_EQ(messages_.Texts(Kind::Inform), c.informs);
        w->close();
        Settle();
        SoundFile("br/g/good0001.wav");
    }
}

TEST_F(RecordWindowTest, ARecordingThatCannotStartGivesTheButtonsBack) {
    TRecordForm1* w = Open();
    Player2().FailOn(Op::Record);
    Measure(1);
    EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{DeviceFailed});
    EXPECT_FALSE(w->Timer2->isActive());
    EXPECT_EQ(Buttons(), QStringLiteral("111"));
}

TEST_F(RecordWindowTest, APlaybackThatFailsEndsThePhaseReportedOnce) {
    struct Case {
        const char* name;
        bool failAtOnce; ///< Play throws; otherwise the play breaks afterwards
    };
    for (const Case& c : {Case{"play throws", true}, Case{"play breaks later", false}}) {
        SCOPED_TRACE(c.name);
        TRecordForm1* w = Open();
        Player2().FailOn(Op::Play, c.failAtOnce);
        Measure(3);
        messages_.Clear();
        Tick(w->Timer2, &TRecordForm1::Timer2Timer, 14);
        if (!c.failAtOnce) {
            Tick(w->Timer3, &TRecordForm1::Timer3Timer, 1);
            Player2().EmitFailed(core::Status::Sound(core::Failure::SoundUnplayable, "Temp.wav"));
        }
        EXPECT_FALSE(w->Timer2->isActive());
        EXPECT_FALSE(w->Timer3->isActive());
        EXPECT_EQ(Buttons(), QStringLiteral("111"));
        EXPECT_EQ(w->Label4->text(), QStringLiteral("请继续： "));
        EXPECT_EQ(messages_.Messages().size(), 1) << messages_.Texts().join('|').toStdString();
        w->close();
        Settle();
    }
}

TEST_F(RecordWindowTest, HidingOrClosingStopsEveryTimerAndBothPlayers) {
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "hide");
        TRecordForm1* w = Open();
        Measure(2);
        ASSERT_TRUE(Player2().IsRecording());
        auto& p1 = Player1();
        auto& p2 = Player2();
        p1.ClearCalls();
        if (close) {
            w->Formclose1->click();
        } else {
            w->hide();
        }
        EXPECT_FALSE(p2.IsRecording());
        EXPECT_TRUE(p1.Calls().contains(QStringLiteral("Close")));
        for (QTimer* t : {w->Timer1, w->Timer2, w->Timer3, w->Timer4}) {
            EXPECT_FALSE(t->isActive()) << t->objectName().toStdString();
        }
        if (!close) {
            w->show();
            EXPECT_EQ(Buttons(), QStringLiteral("111")) << "the learner can go on";
            w->close();
        }
        Settle();
        EXPECT_EQ(Window(), nullptr);
    }
}

TEST_F(RecordWindowTest, ClicksLetInWhileTheDeviceIsPreparedStartNothingMore) {
    TRecordForm1* w = Open();
    // A second "录放" and a "开始" wait in the queue; preparing the device lets them run.
    QMetaObject::invokeMethod(w, "BtRecordword2Click", Qt::QueuedConnection);
    QMetaObject::invokeMethod(w, "BtwordNext1Click", Qt::QueuedConnection);
    w->BtRecordword2->click();
    EXPECT_EQ(Player2().Calls().count(QStringLiteral("Record")), 1);
    EXPECT_EQ(w->BtwordNext1->text(), QStringLiteral("开始"));
    EXPECT_TRUE(Player1().Played().isEmpty());
    Settle();
    EXPECT_EQ(Player2().Calls().count(QStringLiteral("Record")), 1);

    // The window closing meanwhile leaves nothing recording.
    w->Timer2->stop();
    w->close();
    Settle();
    QPointer<TRecordForm1> again = Open();
    QMetaObject::invokeMethod(again, "close", Qt::QueuedConnection);
    again->BtRecordword2->click();
    ASSERT_FALSE(again.isNull()) << "deleted while its click was still running";
    EXPECT_FALSE(static_cast<sound::ScriptedPlayer*>(again->MYRecordPlayer2)->IsRecording());
    EXPECT_FALSE(again->Timer2->isActive());
    Settle();
    EXPECT_TRUE(again.isNull()) << "the window is deleted once the click has ended";
}

TEST_F(RecordWindowTest, RecordBeforeAnyWordTakesTenTicksAndKeepsReciteOff) {
    TRecordForm1* w = Open();
    w->BtRecordword2->click();
    Tick(w->Timer2, &TRecordForm1::Timer2Timer, 10);
    EXPECT_EQ(w->Label4->text(), QStringLiteral("开始录音： -10"));
    w->Timer2Timer();
    w->Timer3Timer();
    EXPECT_EQ(w->Label4->text(), QStringLiteral("请继续： "));
    EXPECT_EQ(Buttons(), QStringLiteral("110"));
}

TEST_F(RecordWindowTest, Timer4CyclesTheLabelColours) {
    TRecordForm1* w = Open();
    w->Timer4Timer();
    EXPECT_EQ(w->Label1->palette().color(QPalette::WindowText), QColor(225, 25, 175));
    EXPECT_EQ(w->Label2->palette().color(QPalette::WindowText), QColor(255, 100, 25));
    EXPECT_EQ(w->Label3->palette().color(QPalette::WindowText), QColor(255, 175, 100));
    EXPECT_EQ(state_.ColourCycle1, 125);
}

TEST_F(RecordWindowTest, AMissingMicrophonePictureShowsATextInstead) {
    TRecordForm1* w = Open();
    EXPECT_EQ(w->Image1->text(), QStringLiteral("录音中"));
    EXPECT_TRUE(messages_.Messages().isEmpty());
    w->close();
    Settle();
    QImage picture(163, 131, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    ASSERT_TRUE(picture.save(appDir_ + "microphone.bmp"));
    w = Open();
    EXPECT_FALSE(w->Image1->pixmap().isNull());
    EXPECT_TRUE(w->Image1->text().isEmpty());
}

} // namespace
