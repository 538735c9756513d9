// The recording window and the phonetic lessons end to end on the built program folder and
// the sound server: a whole recording cycle and a lesson recording leave a "Temp.wav" as long
// as their timers ran, and a symbol plays its lesson sound.
#include "../sound/sound_env.h"
#include "shellfixture.h"

#include "core/recordingcycle.h"
#include "core/waveheader.h"
#include "host/errortext.h"
#include "host/fonts.h"
#include "host/htmlview.h"
#include "modes/comparisonview.h"
#include "modes/recordform.h"
#include "modes/yinbiaoform.h"
#include "sound/pcmoutput.h"
#include "sound/qtmediaplayer.h"
#include "sound/voice.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

/// The length of the samples in a wave file in milliseconds, after checking that the
/// header's sizes match the file.
double WaveMs(const QByteArray& bytes) {
    EXPECT_GT(bytes.size(), 44);
    auto le32 = [&](int at) {
        return static_cast<qint64>(static_cast<unsigned char>(bytes[at])) |
               static_cast<qint64>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<qint64>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<qint64>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    EXPECT_EQ(le32(4), bytes.size() - 8);
    EXPECT_EQ(le32(40), bytes.size() - 44);
    const auto info = core::ParseWave(std::string_view(bytes.constData(), bytes.size()));
    if (!info || info->blockAlign == 0 || info->rate == 0) {
        ADD_FAILURE() << "not a wave file";
        return 0;
    }
    return 1000.0 * static_cast<double>(info->dataSize / info->blockAlign) / info->rate;
}

/// Runs the event loop until done() holds or ms have passed. Unlike QTest::qWaitFor it never
/// sleeps between rounds, so the windows' 10 ms and 50 ms timers tick on time, as in the
/// program.
bool RunUntil(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    limit.start(ms);
    loop.exec();
    return done();
}

/// The times of a timer's ticks, and from them how long the ticks ran: from the start of the
/// timer (one interval before the first tick) to the last tick. The 10 ms and 50 ms ticks are
/// requests; on a busy machine (or under the sanitizers) they come a little late, and the
/// recording, which holds the time it ran, follows them. A tick is timed as it arrives, before
/// the window handles it.
class TickClock : public QObject {
public:
    explicit TickClock(QTimer* timer) : timer_(timer), interval_(timer->interval()) {
        clock_.start();
        timer_->installEventFilter(this);
    }
    ~TickClock() override {
        if (timer_ != nullptr) {
            timer_->removeEventFilter(this);
        }
    }
    int Count() const { return static_cast<int>(at_.size()); }
    double RanMs() const {
        return at_.empty() ? 0 : static_cast<double>(at_.back() - at_.front()) / 1e6 + interval_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == timer_ && event->type() == QEvent::Timer) {
            at_.push_back(clock_.nsecsElapsed());
        }
        return false;
    }

private:
    QPointer<QTimer> timer_;
    QElapsedTimer clock_;
    std::vector<qint64> at_;
    int interval_;
};

class RecordLessonEndToEnd : public ShellTest {
protected:
    void SetUp() override {
        REQUIRE_SOUND_SERVER();
        UseBuiltData();
        ASSERT_TRUE(InstallFonts(appDir_)) << "the phonetic typeface is part of the data";
        state_.AppDir = appDir_.toStdString();
        state_.LearnerName = "Bob";
        ASSERT_TRUE(voice_.Register()) << ErrorText(voice_.LastError()).toStdString();
    }
    /// The main window on the real players and speech.
    TWordmemory& RealShell() {
        if (!real_) {
            ShellServices services(state_, clock_, messages_);
            services.voice = &voice_;
            services.mediaPlayer = &shared_;
            services.appDir = appDir_;
            services.signIn.playVideo = false;
            services.startUpOnShow = false;
            real_ = std::make_unique<TWordmemory>(services);
            real_->resize(1000, 700);
            state_.Voice = &voice_;
            RegisterRecordWindow(*real_);
            RegisterLessonWindow(*real_);
            real_->show();
        }
        return *real_;
    }
    void TearDown() override {
        real_.reset();
        Settle();
    }

    sound::Voice voice_;
    sound::QtMediaPlayer shared_;
    std::unique_ptr<TWordmemory> real_;
};

TEST_F(RecordLessonEndToEnd, ARecordingCycleLeavesATempWavAsLongAsItsTicks) {
    // A recorded word of the built data: its sound plays, is measured, then recorded.
    state_.ContentKind = core::StudyContent::NewWords;
    ASSERT_TRUE(state_.SoundIndex.Open(state_.AppDir + "br.tif"));
    state_.NewList.Replace({"good[gud]adj.好的"});
    ASSERT_FALSE(state_.SoundIndex.Value("good").empty()) << "the built data records 'good'";

    RealShell().btrecordword->click();
    auto* w = qobject_cast<TRecordForm1*>(RealShell().SlotWindow(ModeSlot::Recording));
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->Image1->pixmap().isNull()) << "microphone.bmp of the built data";
    QSignalSpy measured(w->Timer1, &QTimer::timeout);
    TickClock recorded(w->Timer2);
    QSignalSpy played(w->MYRecordPlayer2, &sound::MediaPlayer::Notify);
    w->BtwordNext1->click();
    ASSERT_TRUE(RunUntil([&] { return w->Label4->text() == QStringLiteral("请继续： "); }, 30000))
        << "the cycle did not come back to idle: " << w->Label4->text().toStdString();
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();

    const int model = w->Cycle().ModelTicks;
    EXPECT_GT(model, 2) << "the model sound was measured";
    EXPECT_EQ(measured.count(), model + 1);
    // ModelTicks + 10 counted ticks and the one that ends the recording.
    EXPECT_EQ(recorded.Count(), model + core::RecordExtraTicks + 1);
    // As long as those ticks ran, give or take a tick; on an idle machine that is their count
    // times 50 ms.
    const double ms = WaveMs(ReadBytes(QStringLiteral("Temp.wav")));
    EXPECT_NEAR(ms, recorded.RanMs(), core::RecordTickMs) << "ModelTicks " << model;
    EXPECT_NEAR(recorded.RanMs(), recorded.Count() * core::RecordTickMs, 0.2 * ms);
    ASSERT_TRUE(RunUntil([&] { return played.count() > 0; }, 10000))
        << "the recording was played back";
    EXPECT_TRUE(w->BtRecordword2->isEnabled());
    EXPECT_TRUE(w->BtwordNext1->isEnabled());
    EXPECT_TRUE(w->BtwordRecite1->isEnabled());
}

TEST_F(RecordLessonEndToEnd, ASymbolPlaysItsSoundAndARecordingLastsItsTicks) {
    RealShell().SpeedButton1->click();
    auto* w = qobject_cast<TyinbiaoForm1*>(RealShell().SlotWindow(ModeSlot::Phonetic));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();
    // The captions come from the built data, drawn in the phonetic typeface.
    EXPECT_FALSE(w->SymbolButton(1)->text().isEmpty());
    EXPECT_EQ(QFontInfo(w->SymbolButton(1)->font()).family(), QStringLiteral("DFPhonetic"));

    auto* player = static_cast<sound::QtMediaPlayer*>(w->MediaPlayer1);
    QSignalSpy ended(player, &sound::MediaPlayer::Notify);
    const int k = 9;
    w->SymbolButton(k)->click();
    EXPECT_EQ(player->FileName(), appDir_ + QStringLiteral("yb48/yb48_%1.wav").arg(k));
    ASSERT_TRUE(RunUntil([&] { return ended.count() > 0; }, 10000))
        << "the symbol's sound did not play to its end";
    ASSERT_NE(player->WaveOutput(), nullptr);
    EXPECT_GT(player->WaveOutput()->TotalBytesWritten(), 0) << "its samples reached the output";
    EXPECT_TRUE(w->YBWebBrowser1->toPlainText().contains(QStringLiteral("清辅音")));

    TickClock ticks(w->yinbiaoTimer1);
    ended.clear();
    w->SpeedButton1->click();
    ASSERT_TRUE(RunUntil([&] { return !w->yinbiaoTimer1->isActive(); }, 10000));
    // 81 counted ticks and the one that ends the recording.
    EXPECT_EQ(ticks.Count(), 82);
    const double ms = WaveMs(ReadBytes(QStringLiteral("Temp.wav")));
    EXPECT_NEAR(ms, ticks.RanMs(), core::LessonRecordTickMs);
    EXPECT_NEAR(ticks.RanMs(), ticks.Count() * core::LessonRecordTickMs, 0.2 * ms);
    ASSERT_TRUE(RunUntil([&] { return ended.count() > 0; }, 10000))
        << "the recording was played back";
    EXPECT_EQ(player->FileName(), appDir_ + QStringLiteral("Temp.wav"));
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();
}

TEST_F(RecordLessonEndToEnd, AfterEachRecordingTheComparisonStripShowsAScore) {
    // The sound server's source is silent: the learner "says nothing", and the strip says so,
    // measured against the model the built data holds (a model it could not read would say
    // "无法比较" instead).
    state_.ContentKind = core::StudyContent::NewWords;
    ASSERT_TRUE(state_.SoundIndex.Open(state_.AppDir + "br.tif"));
    state_.NewList.Replace({"good[gud]adj.好的"});
    RealShell().btrecordword->click();
    auto* w = qobject_cast<TRecordForm1*>(RealShell().SlotWindow(ModeSlot::Recording));
    ASSERT_NE(w, nullptr);
    w->BtwordNext1->click();
    ASSERT_TRUE(RunUntil([&] { return w->Comparison->HasResult(); }, 30000))
        << "no comparison after the recording: " << w->Label4->text().toStdString();
    EXPECT_TRUE(w->Timer3->isActive() || w->Label4->text() == QStringLiteral("请继续： "))
        << "shown during the playback phase or after it";
    EXPECT_FALSE(w->Comparison->isHidden());
    EXPECT_TRUE(w->Comparison->Shown().modelSpeech) << "the word's sound file was analysed";
    EXPECT_EQ(w->Comparison->ScoreText(), QStringLiteral("0"));
    EXPECT_EQ(w->Comparison->VerdictText(), QStringLiteral("再试一次"));
    EXPECT_TRUE(w->Comparison->accessibleName().contains(QStringLiteral("再试一次")));

    // The lessons compare with the symbol's own sound.
    RealShell().SpeedButton1->click();
    auto* lesson = qobject_cast<TyinbiaoForm1*>(RealShell().SlotWindow(ModeSlot::Phonetic));
    ASSERT_NE(lesson, nullptr);
    lesson->SymbolButton(9)->click();
    lesson->SpeedButton1->click();
    ASSERT_TRUE(RunUntil([&] { return lesson->Comparison->HasResult(); }, 10000));
    EXPECT_TRUE(lesson->Comparison->Shown().modelSpeech) << "yb48_9.wav was analysed";
    EXPECT_EQ(lesson->Comparison->VerdictText(), QStringLiteral("再试一次"));
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();
}

} // namespace
