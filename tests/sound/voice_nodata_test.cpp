// The speech engine cannot start (its data is missing): the program goes on without speech.
// Runs in a process of its own, because the engine is started once per process.
#include "sound/sounderror.h"
#include "sound/voice.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(VoiceWithoutEngine, ReportsOnceAndCountsSpeechAsFinished) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    sound::Voice voice(nullptr, &sound::OutputVolume::Instance(), empty.path());
    QSignalSpy failed(&voice, &sound::Voice::EngineFailed);
    EXPECT_FALSE(voice.Register());
    EXPECT_FALSE(voice.IsReady());
    EXPECT_FALSE(voice.LastError().ok);
    EXPECT_EQ(voice.LastError().what, core::Failure::SpeechEngine);
    EXPECT_EQ(voice.LastError().file, empty.path().toStdString()) << "names the data folder";
    ASSERT_EQ(failed.count(), 1);
    const auto reported = failed.value(0).value(0).value<core::Status>();
    EXPECT_EQ(reported.what, core::Failure::SpeechEngine);
    EXPECT_EQ(reported.file, voice.LastError().file);

    // Asking again, or speaking, does not report it a second time.
    EXPECT_FALSE(voice.Register());
    voice.SpeakText("hello");
    EXPECT_FALSE(voice.IsSpeaking());
    voice.SpeakText("again");
    EXPECT_FALSE(voice.IsSpeaking());
    EXPECT_EQ(failed.count(), 1);
}

} // namespace
