// The main window's volume control on the real output: the knobs and "声音还原(&V)" reach the
// program's output volume (and so a playing sound) and the speech engine's speed.
#include "app/knobimage.h"
#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/studystate.h"
#include "core/volume.h"
#include "host/errortext.h"
#include "sound/outputvolume.h"
#include "sound/pcmoutput.h"
#include "sound/pronunciation.h"
#include "sound/qtmediaplayer.h"
#include "sound/voice.h"
#include "sound_env.h"
#include "support/messagerecorder.h"

#include <QAudioSink>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace soundtest;

class Knobs : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SOUND_SERVER();
        ASSERT_TRUE(dir_.isValid());
        volume_.Set(0xFFFFFFFFu);
        ASSERT_TRUE(voice_.Register()) << ErrorText(voice_.LastError()).toStdString();
        // Bound as the program binds them.
        ShellServices services(state_, clock_, messages_);
        services.voice = &voice_;
        services.mediaPlayer = &player_;
        services.appDir = dir_.path() + QLatin1Char('/');
        services.readVolume = [this] { return volume_.Get(); };
        services.writeVolume = [this](std::uint32_t v) { volume_.Set(v); };
        services.startUpOnShow = false;
        shell_ = std::make_unique<TWordmemory>(services);

        const QString tone = dir_.filePath(QStringLiteral("tone.wav"));
        ASSERT_TRUE(WriteFile(tone, ToneWave(2, 44100, 3000)));
        sound::PlayFile(player_, tone);
        ASSERT_NE(player_.WaveOutput(), nullptr);
        ASSERT_NE(player_.WaveOutput()->Sink(), nullptr);
    }
    void TearDown() override {
        player_.Stop();
        shell_.reset();
        volume_.Set(0xFFFFFFFFu);
    }
    double SinkGain() const { return player_.WaveOutput()->Sink()->volume(); }
    void Drag(QObject* knob, int x) {
        shell_->Image1DragDrop(knob, x);
        shell_->ImageEndDrag(knob);
    }

    QTemporaryDir dir_;
    sound::OutputVolume& volume_ = sound::OutputVolume::Instance();
    sound::Voice voice_;
    sound::QtMediaPlayer player_;
    core::StudyState state_;
    core::ManualClock clock_;
    MessageRecorder messages_;
    std::unique_ptr<TWordmemory> shell_;
};

TEST_F(Knobs, VolumeKnobDragsReachThePlayingSound) {
    Drag(shell_->Image2, 20);
    EXPECT_EQ(volume_.Get(), 0u);
    EXPECT_NEAR(SinkGain(), 0.0, 1e-6) << "offset 20 must be silence";
    Drag(shell_->Image2, 60);
    EXPECT_EQ(volume_.Get(), 0x7F007F00u);
    EXPECT_NEAR(SinkGain(), 32512.0 / 65535.0, 1e-3);
    Drag(shell_->Image2, 300); // held at the right end
    EXPECT_EQ(shell_->KnobOffset(shell_->Image2), 100);
    EXPECT_NEAR(SinkGain(), 65280.0 / 65535.0, 1e-3);
}

TEST_F(Knobs, RestoreSetsFA00WithTheKnobAtTheTopAndTheNormalSpeed) {
    Drag(shell_->Image2, 30);
    Drag(shell_->Image3, 90);
    EXPECT_EQ(voice_.SpeechSpeed(), 260);
    shell_->SpeedButton11->click();
    EXPECT_EQ(volume_.Get(), core::RestoreVolume);
    EXPECT_NEAR(SinkGain(), 64000.0 / 65535.0, 1e-3);
    EXPECT_EQ(shell_->KnobOffset(shell_->Image2), 100);
    EXPECT_EQ(shell_->KnobOffset(shell_->Image3), 60);
    EXPECT_EQ(voice_.SpeechSpeed(), 150);
    // The speed knob stands at 60, which a drag to the same place makes 170.
    Drag(shell_->Image3, 60);
    EXPECT_EQ(voice_.SpeechSpeed(), 170);
}

TEST_F(Knobs, SpeechPlaysAtTheKnobsVolume) {
    player_.Stop();
    Drag(shell_->Image2, 70);
    voice_.SpeakText("knob");
    ASSERT_TRUE(QTest::qWaitFor([&] { return voice_.Output()->Sink() != nullptr; }, 5000));
    EXPECT_NEAR(voice_.Output()->Sink()->volume(), core::GainFromVolume(core::VolumeFromOffset(70)),
                1e-3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !voice_.IsSpeaking(); }, 10000));
}

} // namespace
