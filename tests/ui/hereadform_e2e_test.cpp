// Browsing real words end to end: a recorded word plays through the media player and a word
// without a recording is spoken by the speech engine, both on the sound server, with the real
// timers pacing the run to the end of the list.
#include "../sound/sound_env.h"

#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/studystate.h"
#include "core/textfile.h"
#include "host/errortext.h"
#include "modes/hereadform.h"
#include "sound/qtmediaplayer.h"
#include "sound/voice.h"
#include "support/messagerecorder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(CardBrowseEndToEnd, BrowsesRealWordsToTheEndOfAShortList) {
    REQUIRE_SOUND_SERVER();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString appDir = dir.path() + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(appDir + "br/g"));
    ASSERT_TRUE(
        soundtest::WriteFile(appDir + "br/g/good0001.wav", soundtest::ToneWave(2, 44100, 300)));
    ASSERT_TRUE(
        core::WriteTextLines((appDir + "br.tif").toStdString(), {"[Mywav]", "good=good0001.wav"}));

    core::StudyState state;
    core::SystemClock clock;
    MessageRecorder messages;
    sound::Voice voice;
    ASSERT_TRUE(voice.Register()) << ErrorText(voice.LastError()).toStdString();
    sound::QtMediaPlayer player;
    ShellServices services{state, clock, messages};
    services.voice = &voice;
    services.mediaPlayer = &player;
    services.appDir = appDir;
    TWordmemory shell(services);
    RegisterCardWindow(shell);

    state.AppDir = appDir.toStdString();
    state.LearnerName = "Bob";
    state.ReviewList.Replace({"good[gud]adj.好的", "cat[kAt]n.猫"});
    state.ContentKind = core::StudyContent::Review;
    ASSERT_TRUE(state.SoundIndex.Open(state.AppDir + "br.tif"));

    QSignalSpy ticks(shell.Timer2(), &QTimer::timeout);
    QSignalSpy played(&player, &sound::MediaPlayer::Notify);
    QSignalSpy spoken(&voice, &sound::Voice::SpeakingFinished);
    QElapsedTimer elapsed;
    elapsed.start();
    shell.lookword->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.Messages().isEmpty(); }, 60000))
        << "the run did not reach the end of the list";

    EXPECT_EQ(messages.Texts(),
              QStringList{QStringLiteral("您选的学习内容为空。\r\n\r\n请另选学习内容。")});
    // Two showings of each word and the tick that found the end.
    EXPECT_EQ(ticks.count(), 5);
    EXPECT_EQ(played.count(), 2) << "the recorded word played twice";
    EXPECT_EQ(spoken.count(), 2) << "the other word was spoken twice";
    // Every showing after the first waited 1200 ms after the end of its predecessor's sound.
    EXPECT_GE(elapsed.elapsed(), 4 * 1200);
    EXPECT_EQ(shell.LBalreadymastery()->text(), QStringLiteral("浏览单词： 2个"));
    EXPECT_EQ(state.BrowseMode, 0);
    EXPECT_EQ(state.BrowseRunning, 0);
    EXPECT_FALSE(shell.Timer1()->isActive());
    EXPECT_FALSE(shell.Timer2()->isActive());
}

} // namespace
