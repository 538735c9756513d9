// End to end on the sound server: files play and notify, speech starts and ends, a recording
// gives a wave file whose header matches it, and the volume reaches the output.
#include "core/speechtext.h"
#include "core/volume.h"
#include "core/waveheader.h"
#include "host/errortext.h"
#include "sound/defaultinput.h"
#include "sound/outputvolume.h"
#include "sound/pcmoutput.h"
#include "sound/pronunciation.h"
#include "sound/qtmediaplayer.h"
#include "sound/recording.h"
#include "sound/sounderror.h"
#include "sound/voice.h"
#include "sound_env.h"

#include <QAudioOutput>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <thread>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace soundtest;

class SoundEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SOUND_SERVER();
        ASSERT_TRUE(dir_.isValid());
        sound::OutputVolume::Instance().Set(0xFFFFFFFFu);
    }
    void TearDown() override { sound::OutputVolume::Instance().Set(0xFFFFFFFFu); }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

TEST_F(SoundEndToEnd, WaveFilePlaysToItsEndThenNotifies) {
    const QString file = Path(QStringLiteral("tone.wav"));
    ASSERT_TRUE(WriteFile(file, ToneWave(2, 44100, 400)));
    sound::QtMediaPlayer player;
    QSignalSpy notify(&player, &sound::MediaPlayer::Notify);
    QElapsedTimer clock;
    clock.start();
    sound::PlayFile(player, file);
    // The play returns at once and notifies only when the sound has been heard.
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(notify.count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notify.count() > 0; }, 5000))
        << "no Notify within 5 s";
    EXPECT_GE(clock.elapsed(), 350) << "Notify came before the 400 ms tone could sound";
    QTest::qWait(100);
    EXPECT_EQ(notify.count(), 1);
    EXPECT_FALSE(player.IsPlaying());
}

TEST_F(SoundEndToEnd, OtherFileTypesPlayThroughTheMediaDevice) {
    // Not named ".wav": the media device plays it (the file is still a wave inside).
    const QString file = Path(QStringLiteral("tone.wave"));
    ASSERT_TRUE(WriteFile(file, ToneWave(1, 22050, 300)));
    sound::OutputVolume::Instance().Set(core::VolumeFromOffset(60));
    sound::QtMediaPlayer player;
    QSignalSpy notify(&player, &sound::MediaPlayer::Notify);
    QSignalSpy failed(&player, &sound::QtMediaPlayer::Failed);
    sound::PlayFile(player, file);
    ASSERT_NE(player.MediaAudioOutput(), nullptr);
    EXPECT_NEAR(player.MediaAudioOutput()->volume(),
                core::GainFromVolume(core::VolumeFromOffset(60)), 1e-3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notify.count() > 0; }, 8000))
        << "no Notify within 8 s";
    EXPECT_EQ(failed.count(), 0) << core::FailureName(
        failed.value(0).value(0).value<core::Status>().what);
}

TEST_F(SoundEndToEnd, MissingOrBrokenFilesThrowNamingTheFile) {
    sound::QtMediaPlayer player;
    const QString missing = Path(QStringLiteral("nothere.wav"));
    try {
        sound::PlayFile(player, missing);
        FAIL() << "a missing file opened";
    } catch (const sound::SoundError& e) {
        EXPECT_NE(QString::fromStdString(e.what()).indexOf(missing), -1) << e.what();
    }
    // Play without an open file is an error too, never a silent success.
    sound::QtMediaPlayer fresh;
    EXPECT_THROW(fresh.Play(), sound::SoundError);
}

TEST_F(SoundEndToEnd, APlayLongerThanItsFileCanNeedIsStoppedReportedAndEnds) {
    // A header that says 1 Hz: its 4,000 sample bytes would play for more than half an hour.
    QByteArray lying = ToneWave(1, 8000, 250);
    lying[24] = 1;
    lying[25] = lying[26] = lying[27] = 0;
    lying[28] = 2; // byte rate
    lying[29] = lying[30] = lying[31] = 0;
    const QString slow = Path(QStringLiteral("slow.wav"));
    ASSERT_TRUE(WriteFile(slow, lying));
    // A real tone longer than the limit a word's sound gets.
    const QString tone = Path(QStringLiteral("long.wav"));
    ASSERT_TRUE(WriteFile(tone, ToneWave(1, 22050, 4000)));

    struct Case {
        QString file;
        int limitMs;
        qint64 stopsWithinMs;
    };
    for (const Case& c : {Case{slow, 15000, 4000}, Case{tone, 800, 3000}}) {
        SCOPED_TRACE(c.file.toStdString());
        sound::QtMediaPlayer player;
        player.SetPlayLimit(c.limitMs);
        QSignalSpy notify(&player, &sound::MediaPlayer::Notify);
        QSignalSpy failed(&player, &sound::MediaPlayer::Failed);
        QElapsedTimer clock;
        clock.start();
        sound::PlayFile(player, c.file);
        ASSERT_TRUE(QTest::qWaitFor([&] { return notify.count() > 0; }, 8000))
            << "the play was never ended";
        EXPECT_LT(clock.elapsed(), c.stopsWithinMs);
        ASSERT_EQ(failed.count(), 1);
        const auto failure = failed.value(0).value(0).value<core::Status>();
        EXPECT_EQ(failure.what, core::Failure::SoundTooLong) << core::FailureName(failure.what);
        EXPECT_EQ(failure.file, c.file.toStdString());
        EXPECT_FALSE(player.IsPlaying());
    }
}

TEST_F(SoundEndToEnd, EmptyAndDamagedFilesAreReportedOnceInChinese) {
    const QString empty = Path(QStringLiteral("empty.wav"));
    ASSERT_TRUE(WriteFile(empty, QByteArray()));
    sound::QtMediaPlayer player;
    QSignalSpy failed(&player, &sound::MediaPlayer::Failed);
    try {
        sound::PlayFile(player, empty);
        FAIL() << "an empty file opened";
    } catch (const sound::SoundError& e) {
        EXPECT_EQ(e.Failure().what, core::Failure::SoundUnplayable);
    }
    // A file the media device cannot decode: its failure comes after the play has started,
    // once, and in Chinese (the device's own text is English).
    const QString damaged = Path(QStringLiteral("damaged.mp3"));
    ASSERT_TRUE(WriteFile(damaged, QByteArray(3000, 'x')));
    QSignalSpy notify(&player, &sound::MediaPlayer::Notify);
    sound::PlayFile(player, damaged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notify.count() > 0; }, 8000));
    QTest::qWait(300);
    ASSERT_EQ(failed.count(), 1);
    const auto failure = failed.value(0).value(0).value<core::Status>();
    EXPECT_EQ(failure.file, damaged.toStdString());
    QString text = ErrorText(failure);
    EXPECT_NE(text.indexOf(damaged), -1);
    text.remove(damaged);
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
        << text.toStdString();
}

TEST_F(SoundEndToEnd, SpokenWordIsSpeakingUntilItHasSounded) {
    sound::Voice voice;
    ASSERT_TRUE(voice.Register()) << ErrorText(voice.LastError()).toStdString();
    voice.SetSpeechSpeed(core::DefaultSpeechSpeed);
    QSignalSpy finished(&voice, &sound::Voice::SpeakingFinished);
    QElapsedTimer clock;
    clock.start();
    voice.SpeakText("hello");
    // Returned before the speech was heard.
    EXPECT_TRUE(voice.IsSpeaking());
    EXPECT_EQ(finished.count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !voice.IsSpeaking(); }, 10000))
        << "still speaking after 10 s";
    EXPECT_GE(clock.elapsed(), 250) << "speech ended before a word could sound";
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(SoundEndToEnd, SpeechMadeIntoMemoryOnAnotherThreadLeavesTheSpokenTextAlone) {
    sound::Voice voice;
    ASSERT_TRUE(voice.Register()) << ErrorText(voice.LastError()).toStdString();
    voice.SpeakText("hello");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !voice.IsSpeaking(); }, 10000));
    const qint64 alone = voice.Output()->TotalBytesWritten();

    // The same text spoken while another thread makes texts into memory, at two speeds.
    core::PcmSound slow;
    core::PcmSound fast;
    bool made = false;
    voice.SpeakText("hello");
    std::thread maker([&] {
        made = sound::Voice::SynthesizeToMemory("hello", 80, slow) &&
               sound::Voice::SynthesizeToMemory("hello", 290, fast);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !voice.IsSpeaking(); }, 10000));
    maker.join();
    ASSERT_TRUE(made);
    // Give or take a few samples of the output's buffering: the words made into memory are
    // thousands of samples long.
    EXPECT_NEAR(static_cast<double>(voice.Output()->TotalBytesWritten() - alone),
                static_cast<double>(alone), alone / 100.0)
        << "the speech got none of the samples made into memory, and lost none of its own";
    EXPECT_EQ(slow.channels, 1);
    EXPECT_GE(slow.rate, 16000);
    EXPECT_GT(static_cast<double>(fast.Frames()) / fast.rate, 0.2) << "a word was made";
    EXPECT_GT(slow.Frames(), fast.Frames() * 3 / 2) << "at the speed asked for";
}

TEST_F(SoundEndToEnd, TextsGivenWhileSpeakingFollowInTurn) {
    sound::Voice voice;
    ASSERT_TRUE(voice.Register()) << ErrorText(voice.LastError()).toStdString();
    QElapsedTimer clock;
    clock.start();
    qint64 before = voice.Output()->TotalBytesWritten();
    voice.SpeakText("one");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !voice.IsSpeaking(); }, 10000));
    qint64 single = clock.elapsed();
    qint64 oneBytes = voice.Output()->TotalBytesWritten() - before;
    ASSERT_GT(oneBytes, 0);

    before = voice.Output()->TotalBytesWritten();
    voice.SpeakText("one");
    voice.SpeakText("two three four five six");
    QTest::qWait(static_cast<int>(single / 2));
    EXPECT_TRUE(voice.IsSpeaking());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !voice.IsSpeaking(); }, 15000));
    // Speaking ended only once both texts had sounded.
    EXPECT_GT(voice.Output()->TotalBytesWritten() - before, 3 * oneBytes);
}

TEST_F(SoundEndToEnd, VoiceEndsCleanlyWhileALongWordIsSounding) {
    // A list word of 20,000 characters is being made into samples and played when the
    // program ends: the engine's worker and its output must go without a late callback.
    std::string longWord;
    while (longWord.size() < 20000) {
        longWord += "abcdefghij";
    }
    for (int round = 0; round < 3; ++round) {
        auto voice = std::make_unique<sound::Voice>();
        ASSERT_TRUE(voice->Register()) << ErrorText(voice->LastError()).toStdString();
        voice->SpeakText(longWord);
        EXPECT_EQ(voice->LastSpokenText(), longWord.substr(0, core::MaxSpokenChars))
            << "only the beginning of a word that long is spoken";
        ASSERT_TRUE(QTest::qWaitFor([&] { return voice->Output()->Sink() != nullptr; }, 10000));
        QTest::qWait(30 * round);
        voice.reset();
        // Samples the worker handed over just before the end must find no voice to play.
        QTest::qWait(50);
    }
}

TEST_F(SoundEndToEnd, OneSecondRecordingGivesAMatchingWaveFile) {
    const QString temp = Path(QStringLiteral("Temp.wav"));
    sound::QtMediaPlayer player;
    QStringList messages;
    auto message = [&](const core::Status& m) {
        const std::string_view name = core::FailureName(m.what);
        messages << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())) +
                        QLatin1Char(' ') + QString::fromStdString(m.file);
    };
    QSignalSpy notify(&player, &sound::MediaPlayer::Notify);

    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(sound::StartRecording(player, temp, message))
            << messages.join(' ').toStdString();
        QTest::qWait(round == 0 ? 1000 : 300);
        sound::RecordingEnd end = sound::FinishRecording(player, temp, message);
        EXPECT_TRUE(end.saved);
        EXPECT_TRUE(end.playing);
        EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();

        QFile f(temp);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        ASSERT_GE(bytes.size(), 44);
        auto info = core::ParseWave(std::string_view(bytes.constData(), bytes.size()));
        ASSERT_TRUE(info.has_value());
        auto le32 = [&](int at) {
            return static_cast<qint64>(static_cast<unsigned char>(bytes[at])) |
                   static_cast<qint64>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
                   static_cast<qint64>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
                   static_cast<qint64>(static_cast<unsigned char>(bytes[at + 3])) << 24;
        };
        EXPECT_EQ(le32(4), bytes.size() - 8);
        EXPECT_EQ(le32(40), bytes.size() - 44);
        EXPECT_EQ(info->channels, 2);
        EXPECT_EQ(info->bits, 16);
        EXPECT_EQ(info->rate, 44100);
        // The time recorded, however much the server hands over at once (the headless one's
        // null source delivers up to two seconds of backlog at first).
        double seconds = static_cast<double>(le32(40)) / 176400.0;
        double expected = round == 0 ? 1.0 : 0.3;
        EXPECT_NEAR(seconds, expected, 0.15) << "round " << round;

        ASSERT_TRUE(QTest::qWaitFor([&] { return notify.count() > round; }, 5000))
            << "the recording was not played back";
    }
}

/// What pactl prints for the arguments (empty when it fails).
QString Pactl(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral("pactl"), arguments);
    if (!p.waitForFinished(5000) || p.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

/// The index of the source that a recording stream of this process records from; empty while
/// none records. Other test programs may record beside this one.
QString RecordingSourceIndex() {
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QString source;
    for (const QString& block : Pactl({"list", "source-outputs"}).split("Source Output #")) {
        const QRegularExpressionMatch from =
            QRegularExpression(QStringLiteral("\\n\\s*Source: (\\d+)")).match(block);
        if (from.hasMatch() &&
            block.contains(QStringLiteral("application.process.id = \"%1\"").arg(pid))) {
            source = from.captured(1);
        }
    }
    return source;
}

// Mended: recordings came from the first input PulseAudio lists, not from the default one, and
// did not follow a change of the default.
TEST_F(SoundEndToEnd, RecordingFollowsTheServersDefaultSource) {
    const QString before = sound::ServerDefaultInputName();
    ASSERT_FALSE(before.isEmpty());
    const QString module = Pactl({"load-module", "module-null-source", "source_name=ljt_headset"});
    ASSERT_FALSE(module.isEmpty());
    const auto restore = qScopeGuard([&] {
        Pactl({"set-default-source", before});
        Pactl({"unload-module", module});
    });
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            for (const QAudioDevice& d : QMediaDevices::audioInputs()) {
                if (d.id() == "ljt_headset") {
                    return true;
                }
            }
            return false;
        },
        5000));
    const QString temp = Path(QStringLiteral("Temp.wav"));
    QStringList messages;
    auto message = [&](const core::Status& m) { messages << ErrorText(m); };
    for (const QString& source : {QStringLiteral("ljt_headset"), before}) {
        SCOPED_TRACE(source.toStdString());
        Pactl({"set-default-source", source});
        EXPECT_EQ(sound::ServerDefaultInputName(), source);
        QString index;
        for (const QString& line : Pactl({"list", "short", "sources"}).split('\n')) {
            if (line.split('\t').value(1) == source) {
                index = line.split('\t').value(0);
            }
        }
        sound::QtMediaPlayer player;
        ASSERT_TRUE(sound::StartRecording(player, temp, message))
            << messages.join(' ').toStdString();
        ASSERT_TRUE(QTest::qWaitFor([] { return !RecordingSourceIndex().isEmpty(); }, 5000));
        EXPECT_EQ(RecordingSourceIndex(), index);
        (void)sound::FinishRecording(player, temp, message);
        player.Close();
        EXPECT_TRUE(QTest::qWaitFor([] { return RecordingSourceIndex().isEmpty(); }, 5000));
    }
}

TEST_F(SoundEndToEnd, APlayerDeletedWithItsWindowAfterPlayingAndRecording) {
    // A window deletes its players with itself, with the devices of their last play and
    // recording not yet deleted by the event loop.
    const QString file = Path(QStringLiteral("short.wav"));
    ASSERT_TRUE(WriteFile(file, ToneWave(2, 44100, 150)));
    const QString temp = Path(QStringLiteral("Temp.wav"));
    for (int round = 0; round < 4; ++round) {
        auto* window = new QObject;
        auto* player = new sound::QtMediaPlayer(window);
        QSignalSpy notify(player, &sound::MediaPlayer::Notify);
        sound::PlayFile(*player, file);
        QEventLoop loop;
        QObject::connect(player, &sound::MediaPlayer::Notify, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        ASSERT_EQ(notify.count(), 1);
        if (round % 2 == 1) {
            ASSERT_TRUE(sound::StartRecording(*player, temp, {}));
            QTest::qWait(100);
            player->Stop();
        }
        delete window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SoundEndToEnd, VolumeReachesFilesAndSpeechAsItChanges) {
    const QString file = Path(QStringLiteral("long.wav"));
    ASSERT_TRUE(WriteFile(file, ToneWave(2, 44100, 1500)));
    auto& volume = sound::OutputVolume::Instance();
    volume.Set(core::VolumeFromOffset(40));
    sound::QtMediaPlayer player;
    sound::PlayFile(player, file);
    ASSERT_NE(player.WaveOutput(), nullptr);
    ASSERT_NE(player.WaveOutput()->Sink(), nullptr);
    EXPECT_NEAR(player.WaveOutput()->Sink()->volume(),
                core::GainFromVolume(core::VolumeFromOffset(40)), 1e-3);
    // A knob drag while the sound plays changes it at once; offset 20 is silence.
    volume.Set(core::VolumeFromOffset(20));
    EXPECT_NEAR(player.WaveOutput()->Sink()->volume(), 0.0, 1e-6);
    volume.Set(core::RestoreVolume);
    EXPECT_NEAR(player.WaveOutput()->Sink()->volume(), core::GainFromVolume(core::RestoreVolume),
                1e-3);
    player.Stop();

    sound::Voice voice;
    ASSERT_TRUE(voice.Register()) << ErrorText(voice.LastError()).toStdString();
    volume.Set(core::VolumeFromOffset(70));
    voice.SpeakText("volume");
    ASSERT_TRUE(QTest::qWaitFor([&] { return voice.Output()->Sink() != nullptr; }, 5000));
    EXPECT_NEAR(voice.Output()->Sink()->volume(), core::GainFromVolume(core::VolumeFromOffset(70)),
                1e-3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !voice.IsSpeaking(); }, 10000));
}

} // namespace
