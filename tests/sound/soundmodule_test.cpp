// The sound engine as the program has it: in a module of its own, opened when sound is first
// needed. This test program links only the interfaces (no Qt Multimedia, no eSpeak NG), as the
// windows do.
#include "core/programmodule.h"
#include "sound/engine.h"
#include "sound/lazyplayer.h"
#include "sound/lazyscorer.h"
#include "sound/lazyvoice.h"
#include "sound/sounderror.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/// True when a library whose file name holds name is mapped into this process.
bool Mapped(const char* name) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

core::Failure OpenFailure(sound::MediaPlayer& player, const QString& file) {
    player.SetFileName(file);
    try {
        player.Open();
    } catch (const sound::SoundError& e) {
        return e.Failure().what;
    }
    return core::Failure::None;
}

// Beside this test program there is no module: the players fail as a missing device and the
// speech engine as one that cannot start, reported once; nothing waits for speech.
TEST(SoundModule, WithoutItThereIsNoSoundAndTheProgramGoesOn) {
    ASSERT_FALSE(QFile::exists(QString::fromStdString(core::ModuleFolder()) + "sound.so"));
    sound::LazyPlayer player;
    const core::Failure failure = OpenFailure(player, QStringLiteral("good.wav"));
    EXPECT_EQ(failure, core::Failure::SoundNoOutput);
    EXPECT_TRUE(sound::IsDeviceFailure(core::Status::Sound(core::Failure::SoundNoOutput, {})));
    EXPECT_NO_THROW(player.Stop());
    EXPECT_NO_THROW(player.Close());
    EXPECT_EQ(player.FileName(), QStringLiteral("good.wav"));

    sound::LazyVoice voice;
    QSignalSpy failed(&voice, &sound::SpeechVoice::EngineFailed);
    EXPECT_FALSE(voice.Register());
    voice.SpeakText("good");
    EXPECT_FALSE(voice.Register());
    EXPECT_FALSE(voice.IsSpeaking());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(voice.LastError().what, core::Failure::SpeechEngine);
    EXPECT_NE(voice.LastError().file.find("sound.so"), std::string::npos);
    EXPECT_FALSE(sound::EngineLoaded());
}

// Opened, the module's engine serves the players and the voice made before it, and the
// libraries it brings are loaded only then.
TEST(SoundModule, ItsLibrariesAreLoadedWhenItIsOpened) {
    sound::LazyPlayer player;
    sound::LazyVoice voice;
    voice.SetSpeechSpeed(200);
    EXPECT_FALSE(Mapped("libQt6Multimedia"));
    EXPECT_FALSE(Mapped("libespeak-ng"));

    std::string error;
    void* entry = core::ModuleEntryAt(LJT_SOUND_MODULE_FILE, "ljt_sound_engine", false, error);
    ASSERT_NE(entry, nullptr) << error;
    sound::UseEngine(reinterpret_cast<sound::Engine* (*)()>(entry)());
    EXPECT_TRUE(Mapped("libQt6Multimedia"));
    EXPECT_TRUE(Mapped("libespeak-ng"));

    // The real player checks the file the lazy one was given.
    QTemporaryDir dir;
    EXPECT_EQ(OpenFailure(player, dir.filePath(QStringLiteral("none.wav"))),
              core::Failure::SoundMissing);
    ASSERT_NE(player.Loaded(), nullptr);
    EXPECT_EQ(player.Loaded()->FileName(), dir.filePath(QStringLiteral("none.wav")));
    // With the engine there, new players are the engine's own.
    std::unique_ptr<sound::MediaPlayer> made(sound::LazyPlayer::Make(nullptr));
    EXPECT_EQ(qobject_cast<sound::LazyPlayer*>(made.get()), nullptr);

    EXPECT_TRUE(voice.Register()) << voice.LastError().detail;
    ASSERT_NE(voice.Loaded(), nullptr);
    EXPECT_EQ(voice.Loaded()->LastError().what, core::Failure::None);
}

// The scorer is a module of its own as well: without it every score says which file is
// missing; opened, it scores, and PocketSphinx is loaded only then.
TEST(ScorerModule, MissingItNamesItAndOpenedItScores) {
    {
        sound::LazyScorer scorer;
        const core::Status open = scorer.Open();
        EXPECT_EQ(open.what, core::Failure::PronunciationModel);
        EXPECT_NE(open.file.find("scorer.so"), std::string::npos) << open.file;
        EXPECT_TRUE(scorer.DictionaryPronunciations("think").empty());
        EXPECT_EQ(scorer.Score({{"TH"}}, core::PcmSound{}).status.what,
                  core::Failure::PronunciationModel);
    }
    EXPECT_FALSE(Mapped("libpocketsphinx"));

    std::string error;
    void* entry = core::ModuleEntryAt(LJT_SCORER_MODULE_FILE, "ljt_scorer_functions", false, error);
    ASSERT_NE(entry, nullptr) << error;
    sound::UseScorer(reinterpret_cast<const sound::ScorerFunctions* (*)()>(entry)());
    sound::LazyScorer scorer;
    EXPECT_EQ(scorer.DictionaryPronunciations("Think"),
              (std::vector<std::vector<std::string>>{{"TH", "IH", "NG", "K"}}));
    EXPECT_TRUE(Mapped("libpocketsphinx"));
}

} // namespace
