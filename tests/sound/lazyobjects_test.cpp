// The lazy player and voice with a scripted engine: nothing is made before it is needed, and
// then every call and every signal passes between them and the engine's objects.
#include "sound/engine.h"
#include "sound/lazyplayer.h"
#include "sound/lazyvoice.h"
#include "sound/pcmoutput.h"
#include "support/scriptedplayer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingVoice : public sound::SpeechVoice {
public:
    using SpeechVoice::SpeechVoice;
    bool Register() override { return registered = true; }
    const core::Status& LastError() const override { return error; }
    void SpeakText(const std::string& text) override { texts.push_back(text); }
    bool IsSpeaking() const override { return speaking; }
    void SetSpeechSpeed(int value) override { speed = value; }

    bool registered = false;
    bool speaking = false;
    int speed = 0;
    std::vector<std::string> texts;
    core::Status error;
};

class ScriptedEngine : public sound::Engine {
public:
    sound::MediaPlayer* MakePlayer(QObject* parent, sound::OutputVolume*) override {
        players.push_back(new sound::ScriptedPlayer(parent));
        return players.back();
    }
    sound::SpeechVoice* MakeVoice(QObject* parent, sound::OutputVolume*) override {
        voices.push_back(new RecordingVoice(parent));
        return voices.back();
    }
    bool SynthesizeToMemory(const std::string&, int, core::PcmSound&) override { return false; }
    std::string Phonemes(const std::string&) override { return {}; }
    sound::VideoPlayer* MakeVideoPlayer(QWidget*, QObject*) override { return nullptr; }

    std::vector<sound::ScriptedPlayer*> players;
    std::vector<RecordingVoice*> voices;
};

class LazyObjects : public ::testing::Test {
protected:
    void SetUp() override {
        linked_ = sound::LoadEngine();
        sound::UseEngine(&engine_);
    }
    void TearDown() override { sound::UseEngine(linked_); }

    ScriptedEngine engine_;
    sound::Engine* linked_ = nullptr;
};

TEST_F(LazyObjects, ThePlayerIsMadeAtTheFirstOpenAndGetsWhatWasSetBefore) {
    sound::LazyPlayer player;
    player.SetFileName(QStringLiteral("a.wav"));
    player.SetPlayLimit(700);
    player.Stop();
    player.Close();
    EXPECT_TRUE(engine_.players.empty());

    player.Open();
    ASSERT_EQ(engine_.players.size(), 1u);
    sound::ScriptedPlayer& real = *engine_.players.front();
    player.Play();
    player.Stop();
    player.Close();
    EXPECT_EQ(real.Calls(), (QStringList{"SetFileName a.wav", "Open", "Play", "Stop", "Close"}));
    EXPECT_EQ(real.PlayLimit(), 700);

    QSignalSpy notified(&player, &sound::MediaPlayer::Notify);
    QSignalSpy failed(&player, &sound::MediaPlayer::Failed);
    real.EmitFailed(core::Status::Sound(core::Failure::SoundUnplayable, "a.wav"));
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(notified.count(), 1);
    // A failure of the engine's player reaches the caller unchanged.
    real.FailOn(sound::ScriptedPlayer::Op::Open);
    EXPECT_THROW(player.Open(), sound::SoundError);
    EXPECT_EQ(engine_.players.size(), 1u);
}

TEST_F(LazyObjects, TheVoiceIsMadeAtTheFirstTextWithTheSpeedSetBefore) {
    sound::LazyVoice voice;
    voice.SetSpeechSpeed(90);
    EXPECT_FALSE(voice.IsSpeaking());
    EXPECT_TRUE(engine_.voices.empty());

    voice.SpeakText("good");
    ASSERT_EQ(engine_.voices.size(), 1u);
    RecordingVoice& real = *engine_.voices.front();
    EXPECT_TRUE(real.registered);
    EXPECT_EQ(real.speed, 90);
    EXPECT_EQ(real.texts, (std::vector<std::string>{"good"}));
    real.speaking = true;
    EXPECT_TRUE(voice.IsSpeaking());
    voice.SetSpeechSpeed(200);
    EXPECT_EQ(real.speed, 200);

    QSignalSpy finished(&voice, &sound::SpeechVoice::SpeakingFinished);
    QSignalSpy speechFailed(&voice, &sound::SpeechVoice::SpeechFailed);
    emit real.SpeakingFinished();
    emit real.SpeechFailed(core::Status::Sound(core::Failure::SoundNoOutput, {}));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(speechFailed.count(), 1);
    EXPECT_TRUE(voice.Register());
    EXPECT_EQ(engine_.voices.size(), 1u);
}

} // namespace

TEST(StreamEnd, AStreamHasSoundedOnceItsSamplesHaveHadTheirTime) {
    // 531 ms of speech written at once; a device that never tells gets 1500 ms more.
    const struct {
        const char* name;
        sound::StreamClock clock;
        bool sounded;
    } cases[] = {
        {"played, and its time has passed", {531000, 531000, false, 600}, true},
        {"said played before its time (a late report)", {531000, 531000, false, 120}, false},
        {"run dry before its time (a gap in the speech)", {531000, 200000, true, 300}, false},
        {"never tells", {531000, 0, false, 2032}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sound::StreamSounded(c.clock, 1500), c.sounded) << c.name;
    }
}
