// The pronunciation comparison in the recording window and the phonetic lessons: after each
// recording the strip appears with a score beside the playback, its model is the word's sound
// file or the speech made into samples (or the first utterance of a symbol's sound), it never
// covers the word, and closing a window while a comparison runs is safe. The scoring itself
// is tested in tests/core.
#include "shellfixture.h"

#include "core/soundhint.h"
#include "core/voicesamples.h"
#include "core/waveheader.h"
#include "modes/comparisonview.h"
#include "modes/recordform.h"
#include "modes/voicecomparer.h"
#include "modes/yinbiaoform.h"
#include "sound/voice.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

namespace {

/// text said by the speech engine at the normal speed.
core::PcmSound Spoken(const std::string& text) {
    core::PcmSound sound;
    EXPECT_TRUE(sound::Voice::SynthesizeToMemory(text, 150, sound)) << "eSpeak NG makes " << text;
    return sound;
}

core::PcmSound Silence(int rate, double seconds) {
    core::PcmSound sound;
    sound.rate = rate;
    sound.samples.assign(static_cast<std::size_t>(rate * seconds), 0);
    return sound;
}

core::PcmSound Join(core::PcmSound a, const core::PcmSound& b) {
    a.samples.insert(a.samples.end(), b.samples.begin(), b.samples.end());
    return a;
}

class ComparisonTest : public ShellTest {
protected:
    void WriteWave(const QString& path, const core::PcmSound& sound) {
        const auto bytes = static_cast<std::uint32_t>(sound.samples.size() * 2);
        const auto header = core::WaveHeader(sound.channels, 16, sound.rate, bytes);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write(reinterpret_cast<const char*>(header.data()), header.size());
        f.write(reinterpret_cast<const char*>(sound.samples.data()), bytes);
    }
    QString Temp() const { return appDir_ + "Temp.wav"; }
    static bool WaitForResult(ComparisonView* view) {
        return QTest::qWaitFor([view] { return view->HasResult() && !view->isHidden(); }, 10000);
    }
    sound::MediaPlayer* Scripted(QObject* parent) { return new sound::ScriptedPlayer(parent); }
};

class RecordComparisonTest : public ComparisonTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        state_.LearnerName = "Bob";
        state_.ContentKind = core::StudyContent::NewWords;
        // "good" has a sound file, "sky" is spoken.
        state_.NewList.Replace({"good[gud]adj.好的", "sky[skai]n.天空"});
        WriteLines("br.tif", {"[Mywav]", "good=good0001.wav"});
        ASSERT_TRUE(state_.SoundIndex.Open(state_.AppDir + "br.tif"));
        QDir().mkpath(appDir_ + "br/g");
        good_ = Spoken("good");
        WriteWave(appDir_ + "br/g/good0001.wav", good_);
        speech_.SetSpeakingAfterSpeak(false);
        RegisterRecordWindow(Shell(), [this](QObject* parent) { return Scripted(parent); });
        Shell().show();
        Shell().resize(1000, 700);
        Shell().btrecordword->click();
    }
    TRecordForm1* Window() {
        return qobject_cast<TRecordForm1*>(Shell().SlotWindow(ModeSlot::Recording));
    }
    /// Shows the next word, lets its model end, and records: the learner's voice is what the
    /// test writes into "Temp.wav" while the recording runs. Ends with the playback started.
    void RecordNextWord(const core::PcmSound* learner, bool spoken = false) {
        TRecordForm1* w = Window();
        while (w->Timer3->isActive()) {
            w->Timer3Timer(); // the playback of the recording before ends
        }
        w->BtwordNext1->click();
        w->Timer1Timer();
        if (spoken) {
            Shell().SpeechWatch();
        } else {
            static_cast<sound::ScriptedPlayer*>(w->MYRecordPlayer1)->EmitNotify();
        }
        w->Timer1Timer(); // "自动录放": the recording starts
        ASSERT_TRUE(w->Timer2->isActive());
        if (learner != nullptr) {
            WriteWave(Temp(), *learner);
        }
        while (w->Timer2->isActive()) {
            w->Timer2Timer();
        }
        ASSERT_TRUE(w->Timer3->isActive()) << "the playback runs";
    }
    /// Bob's voice folder, holding n samples of "good" kept before.
    std::string KeepVoiceSamples(int n) {
        const std::string voice = core::LearnerVoiceFolder(state_.AppDir, "Bob");
        EXPECT_TRUE(QDir().mkpath(appDir_ + "Bob"));
        core::VoiceSamples before(voice);
        for (int i = 0; i < n; ++i) {
            EXPECT_TRUE(before.Add({"G", "UH", "D"}, good_));
        }
        return voice;
    }
    core::PcmSound good_;
};

TEST_F(RecordComparisonTest, ARecordingOfTheSoundFileScoresAndTheStripShowsIt) {
    TRecordForm1* w = Window();
    EXPECT_TRUE(w->Comparison->isHidden()) << "nothing to show before a recording";
    RecordNextWord(&good_);
    // The playback was not held up: it started before the comparison was delivered.
    auto* player2 = static_cast<sound::ScriptedPlayer*>(w->MYRecordPlayer2);
    EXPECT_EQ(player2->Calls().last(), QStringLiteral("Play"));
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_EQ(w->Comparison->ScoreText(), QStringLiteral("100"));
    EXPECT_EQ(w->Comparison->VerdictText(), QStringLiteral("很好"));
    EXPECT_TRUE(w->Comparison->accessibleName().contains(QStringLiteral("100")));
    EXPECT_TRUE(w->Comparison->accessibleName().contains(QStringLiteral("很好")));
    EXPECT_TRUE(w->Comparison->accessibleDescription().contains(QStringLiteral("很好")));
    // Above the control bar, below the word and its phonetic; the meaning keeps its room.
    EXPECT_LE(w->Comparison->geometry().bottom(), w->Panel7->geometry().top());
    EXPECT_GE(w->Comparison->geometry().top(), w->Label5->geometry().bottom());
    EXPECT_FALSE(w->Comparison->geometry().intersects(w->Label3->parentWidget()->geometry()));
    Snap(w, QStringLiteral("record-comparison"));
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();

    // Its "×" hides it; the next word hides it too, until its own recording.
    w->Comparison->HideButton->click();
    EXPECT_TRUE(w->Comparison->isHidden());
    RecordNextWord(nullptr, true);
    ASSERT_TRUE(WaitForResult(w->Comparison));
}

TEST_F(RecordComparisonTest, ASpokenWordIsComparedWithTheSpeechAndSilenceScoresZero) {
    TRecordForm1* w = Window();
    // "good" recorded in silence: the header-only file the scripted player leaves.
    RecordNextWord(nullptr);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_EQ(w->Comparison->ScoreText(), QStringLiteral("0"));
    EXPECT_EQ(w->Comparison->VerdictText(), QStringLiteral("再试一次"));
    EXPECT_TRUE(w->Comparison->accessibleDescription().contains(QStringLiteral("没有听到")));

    // "sky" has no sound file: its model is the speech of the word, made into samples at the
    // speech speed, which the learner here matches exactly.
    const core::PcmSound sky = Join(Silence(Spoken("sky").rate, 0.3), Spoken("sky"));
    RecordNextWord(&sky, true);
    EXPECT_EQ(speech_.Texts().back(), "sky");
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_GE(w->Comparison->ScoreText().toInt(), 95);
    EXPECT_EQ(w->Comparison->VerdictText(), QStringLiteral("很好"));
}

TEST_F(RecordComparisonTest, ClosingWhileAComparisonRunsIsSafe) {
    QPointer<TRecordForm1> w = Window();
    RecordNextWord(&good_);
    EXPECT_TRUE(w->Comparison->Comparer()->Busy()) << "the comparison runs on";
    w->Formclose1->click();
    Settle();
    EXPECT_TRUE(w.isNull()) << "the window is gone, and nothing is delivered to it";
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::Recording), nullptr);
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();

    // A window hidden mid-comparison drops the result.
    Shell().btrecordword->click();
    RecordNextWord(&good_);
    QPointer<TRecordForm1> again = Window();
    again->hide();
    Settle();
    ASSERT_FALSE(again.isNull());
    EXPECT_FALSE(again->Comparison->Comparer()->Busy());
    EXPECT_FALSE(again->Comparison->HasResult());
}

class LessonComparisonTest : public ComparisonTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        std::vector<std::string> lines;
        for (int k = 1; k <= 48; ++k) {
            // Appended: `"s" + std::to_string(k)` draws a false -Wrestrict from GCC 12 at -O3.
            lines.push_back(std::string("s").append(std::to_string(k)));
        }
        WriteLines("yb48/yinbiao.txt", lines);
        WriteLines("yb48/发音规则.txt", lines);
        WriteLines("yb48/字母组合.txt", lines);
        // The symbol twice, then an example word, as the lesson sounds are made.
        symbol_ = Spoken("ee");
        const core::PcmSound pause = Silence(symbol_.rate, 0.35);
        WriteWave(
            appDir_ + "yb48/yb48_1.wav",
            Join(Join(Join(Join(Join(symbol_, pause), symbol_), pause), pause), Spoken("sheep")));
        RegisterLessonWindow(Shell(), [this](QObject* parent) { return Scripted(parent); });
        Shell().show();
        Shell().resize(1000, 700);
        Shell().SpeedButton1->click();
    }
    TyinbiaoForm1* Window() {
        return qobject_cast<TyinbiaoForm1*>(Shell().SlotWindow(ModeSlot::Phonetic));
    }
    void Record(const core::PcmSound& learner) {
        TyinbiaoForm1* w = Window();
        w->SpeedButton1->click();
        for (int i = 0; i < 81; ++i) {
            w->yinbiaoTimer1Timer();
        }
        WriteWave(Temp(), learner);
        w->yinbiaoTimer1Timer();
        ASSERT_FALSE(w->yinbiaoTimer1->isActive());
    }
    core::PcmSound symbol_;
};

TEST_F(LessonComparisonTest, ARecordingIsComparedWithTheSymbolSaidOnce) {
    TyinbiaoForm1* w = Window();
    // Before any symbol was heard there is nothing to compare with.
    Record(symbol_);
    Settle();
    EXPECT_FALSE(w->Comparison->Comparer()->Busy());
    EXPECT_TRUE(w->Comparison->isHidden());

    w->SymbolButton(1)->click();
    Record(Join(Silence(symbol_.rate, 0.2), symbol_));
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_GE(w->Comparison->ScoreText().toInt(), 95);
    EXPECT_EQ(w->Comparison->VerdictText(), QStringLiteral("很好"));
    // Outside the panel: no symbol and no part of the page is covered.
    EXPECT_FALSE(w->Comparison->geometry().intersects(w->yinbaioPanel1->geometry()));
    EXPECT_TRUE(w->rect().contains(w->Comparison->geometry()));
    Snap(w, QStringLiteral("lesson-comparison"));

    // A symbol without its sound file: the strip says there is nothing to compare with.
    w->SymbolButton(2)->click();
    Record(symbol_);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_EQ(w->Comparison->ScoreText(), QString());
    EXPECT_EQ(w->Comparison->VerdictText(), QStringLiteral("无法比较"));
}

} // namespace

namespace {

// The score sound by sound in the strip: each fact of the window once.
TEST_F(RecordComparisonTest, TheWordsSoundsAreShownColouredWithAHint) {
    TRecordForm1* w = Window();
    RecordNextWord(&good_);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    ASSERT_TRUE(w->Comparison->HasSounds());
    const core::SoundScores& scores = w->Comparison->Sounds().scores;
    ASSERT_EQ(scores.sounds.size(), 3u) << "g ʊ d";
    EXPECT_EQ(scores.sounds[0].symbol, "g");
    // The number and the verdict are the sounds' own, and the description names every sound.
    EXPECT_EQ(w->Comparison->ScoreText(), QString::number(scores.Rounded()));
    EXPECT_EQ(w->Comparison->accessibleDescription(),
              QString::fromStdString(core::DescribeSoundScores(scores)));
    EXPECT_EQ(w->Comparison->HintText(), QString::fromStdString(core::ScoresHint(scores)));
}

TEST_F(RecordComparisonTest, AMissingModelIsNamedNotTakenForSilence) {
    TRecordForm1* w = Window();
    sound::PhoneModelFiles missing;
    missing.acousticModel = (appDir_ + "no-model").toStdString();
    w->Comparison->Comparer()->SetPhoneModel(missing);
    RecordNextWord(&good_);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_TRUE(w->Comparison->accessibleDescription().startsWith(
        QStringLiteral("缺少发音模型：") + appDir_ + QStringLiteral("no-model")))
        << w->Comparison->accessibleDescription().toStdString();
    EXPECT_FALSE(w->Comparison->accessibleDescription().contains(QStringLiteral("没有听到")));
}

TEST_F(RecordComparisonTest, ADamagedSoundFileGivesWayToTheSpeech) {
    // The word's sound file is damaged: the speech of the word is the model instead.
    QFile damaged(appDir_ + "br/g/good0001.wav");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("RIFF\x04\x00\x00\x00WAVE", 12);
    damaged.close();
    TRecordForm1* w = Window();
    const core::PcmSound good = Spoken("good");
    RecordNextWord(&good);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_TRUE(w->Comparison->Shown().modelSpeech) << "the speech stands in for the file";
    EXPECT_NE(w->Comparison->VerdictText(), QStringLiteral("无法比较"));
}

// A word said right is kept as a sample of the learner's voice, silence is not; once enough
// are kept the model is adapted to the voice off the interface thread.
TEST_F(RecordComparisonTest, WordsSaidRightTeachTheModelTheLearnersVoice) {
    const std::string voice = KeepVoiceSamples(29);
    TRecordForm1* w = Window();
    RecordNextWord(&good_);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    ASSERT_EQ(core::VoiceSamples(voice).Samples().size(), 30u);
    EXPECT_EQ(core::VoiceSamples(voice).Samples().back().phones,
              (std::vector<std::string>{"G", "UH", "D"}));
    const QString adaptation = QString::fromStdString(core::VoiceSamples(voice).AdaptationPath());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(adaptation); }, 30000));
    RecordNextWord(nullptr, true);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    EXPECT_EQ(core::VoiceSamples(voice).Samples().size(), 30u) << "silence is not kept";
    EXPECT_FALSE(core::VoiceSamples(voice).AdaptationDue()) << "adapted on all 30";
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();
}

// Closing the window while the voice is being learned stops the trainer: nothing half written.
TEST_F(RecordComparisonTest, ClosingWhileTheVoiceIsLearnedIsSafe) {
    const std::string voice = KeepVoiceSamples(29);
    QPointer<TRecordForm1> w = Window();
    RecordNextWord(&good_);
    ASSERT_TRUE(WaitForResult(w->Comparison));
    w->Formclose1->click(); // the adaptation was just handed to the worker
    Settle();
    EXPECT_TRUE(w.isNull());
    const std::string adapted = core::VoiceSamples(voice).AdaptationPath();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(adapted + ".new")));
    EXPECT_EQ(core::VoiceSamples(voice).Samples().size(), 30u);
    EXPECT_TRUE(messages_.Messages().isEmpty()) << messages_.Texts().join('|').toStdString();
}

TEST_F(LessonComparisonTest, ALessonRecordingIsScoredOnTheSymbolsSound) {
    TyinbiaoForm1* w = Window();
    w->SymbolButton(1)->click();
    Record(Join(Silence(symbol_.rate, 0.2), symbol_));
    ASSERT_TRUE(WaitForResult(w->Comparison));
    ASSERT_TRUE(w->Comparison->HasSounds());
    ASSERT_EQ(w->Comparison->Sounds().scores.sounds.size(), 1u);
    EXPECT_EQ(w->Comparison->Sounds().scores.sounds[0].phone, "P") << "symbol 1 is /p/";
}

} // namespace
