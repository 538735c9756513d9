// The spelling test end to end on the sound server: a right answer plays the real praise sound
// of the program folder through the media player, and the next word comes only after that
// sound has ended and the reveal timer has ticked.
#include "../sound/sound_env.h"

#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/studystate.h"
#include "host/errortext.h"
#include "modes/mywriteform.h"
#include "sound/qtmediaplayer.h"
#include "sound/voice.h"
#include "support/messagerecorder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(SpellingEndToEnd, ARightAnswerMovesOnAfterThePraiseSoundHasEnded) {
    REQUIRE_SOUND_SERVER();
    const QString praise = QStringLiteral(LJT_APPDIR "/br/g/good0001.wav");
    ASSERT_TRUE(QFile::exists(praise)) << "the program folder has no data: build appdata";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString appDir = dir.path() + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(appDir + "br/g"));
    ASSERT_TRUE(QFile::link(praise, appDir + "br/g/good0001.wav"));

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
    RegisterSpellingWindow(shell);

    state.AppDir = appDir.toStdString();
    state.LearnerName = "Bob";
    state.SoundIndex.Parse({}); // no recordings: the words are spoken
    state.ContentKind = core::StudyContent::Mastered;
    state.MasteredList.Replace({"apple[Apl]n.苹果", "pear[pZE]n.梨"});

    shell.SpeedButton9->click();
    auto* window = qobject_cast<TMyWriteForm1*>(shell.SlotWindow(ModeSlot::Spelling));
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->Label3->text(), QStringLiteral(" n.苹果"));

    // What the window shows when the praise sound reports its end.
    QString shownAtEnd;
    QObject::connect(&player, &sound::MediaPlayer::Notify, window,
                     [&] { shownAtEnd = window->Label3->text(); });
    QSignalSpy ended(&player, &sound::MediaPlayer::Notify);
    QElapsedTimer elapsed;
    elapsed.start();
    window->Edit1->setText(QStringLiteral("apple"));
    QTest::keyClick(window->Edit1, Qt::Key_Return);
    EXPECT_EQ(state.SpellAdvance, 1);
    EXPECT_FALSE(window->Timer1->isActive()) << "waits for the praise sound";

    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Label3->text() == " n.梨"; }, 20000))
        << "the next word did not come";
    EXPECT_EQ(ended.count(), 1) << "the praise sound reported its end once";
    EXPECT_EQ(shownAtEnd, QStringLiteral(" n.苹果")) << "the word stayed until the sound ended";
    // The sound lasts about a second; then Timer1 ticks once more (500 ms).
    EXPECT_GE(elapsed.elapsed(), 500);
    EXPECT_EQ(state.SpellAdvance, 0);
    EXPECT_EQ(state.WordCursor, 1);
    EXPECT_TRUE(messages.Messages().isEmpty()) << messages.Texts().join('|').toStdString();
}

} // namespace
