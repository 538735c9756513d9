// "--score WORD RECORDING.wav" through the command path: a word said by the speech engine is
// scored sound by sound as one JSON object; files that cannot be scored get a message and a
// non-zero exit.
#include "app/commandline.h"

#include "core/pcmwave.h"
#include "core/waveheader.h"
#include "host/folders.h"
#include "sound/phonescorer.h"
#include "sound/voice.h"

#include <cmath>
#include <utility>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

class ScoreCommand : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

    /// Writes sound as a 16-bit wave file.
    QString WriteWave(const char* name, const core::PcmSound& sound) const {
        const auto header = core::WaveHeader(sound.channels, 16, sound.rate,
                                             static_cast<std::uint32_t>(sound.samples.size() * 2));
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(header.data()),
                   static_cast<qint64>(header.size()));
        file.write(reinterpret_cast<const char*>(sound.samples.data()),
                   static_cast<qint64>(sound.samples.size() * 2));
        return file.fileName();
    }

    QString Said(const char* name, const std::string& text) const {
        core::PcmSound sound;
        EXPECT_TRUE(sound::Voice::SynthesizeToMemory(text, 5, sound)) << text;
        return WriteWave(name, sound);
    }

    int Run(const QStringList& arguments) {
        out_.clear();
        err_.clear();
        QTextStream out(&out_);
        QTextStream err(&err_);
        return RunCommand(QStringList{QStringLiteral("langjitong")} + arguments, folders_, out,
                          err);
    }

    QTemporaryDir dir_;
    ProgramFolders folders_;
    QString out_;
    QString err_;
};

TEST_F(ScoreCommand, AWordIsScoredSoundBySound) {
    const struct {
        const char* word;
        std::vector<const char*> symbols;
    } cases[] = {
        {"think", {"θ", "ɪ", "ŋ", "k"}},
        {"Sheep", {"ʃ", "iː", "p"}},
        // Not in the pronouncing dictionary: its sounds come from the speech engine.
        {"langjitong", {"l", "æ", "ŋ", "dʒ", "ɪ", "t", "ɑː", "ŋ"}},
    };
    for (const auto& c : cases) {
        const QString wave = Said("word.wav", c.word);
        ASSERT_EQ(Run({QStringLiteral("--score"), QString::fromUtf8(c.word), wave}), 0)
            << c.word << err_.toStdString();
        const QJsonObject result = QJsonDocument::fromJson(out_.toUtf8()).object();
        EXPECT_EQ(result.value(QStringLiteral("word")).toString(), QString::fromUtf8(c.word));
        const int score = result.value(QStringLiteral("score")).toInt(-1);
        EXPECT_GE(score, 0) << c.word;
        EXPECT_LE(score, 100) << c.word;
        const QString verdict = result.value(QStringLiteral("verdict")).toString();
        EXPECT_EQ(verdict, score >= 80   ? QStringLiteral("很好")
                           : score >= 50 ? QStringLiteral("接近")
                                         : QStringLiteral("再试一次"))
            << c.word;
        const QJsonArray sounds = result.value(QStringLiteral("sounds")).toArray();
        ASSERT_EQ(sounds.size(), static_cast<qsizetype>(c.symbols.size())) << c.word;
        for (qsizetype i = 0; i < sounds.size(); ++i) {
            const QJsonObject s = sounds[i].toObject();
            EXPECT_EQ(s.value(QStringLiteral("symbol")).toString(),
                      QString::fromUtf8(c.symbols[static_cast<std::size_t>(i)]))
                << c.word << " " << i;
            EXPECT_TRUE(s.contains(QStringLiteral("heardAs")));
            EXPECT_GE(s.value(QStringLiteral("score")).toInt(-1), 0);
        }
    }
}

// Long words by the speech engine, whose voice the model hears poorly: the alignment once lost
// every path before the word's end and every sound scored 0.
TEST_F(ScoreCommand, ALongWordHeardPoorlyIsStillAlignedSoundBySound) {
    for (const char* word : {"government", "president", "temperature"}) {
        const QString wave = Said("long.wav", word);
        ASSERT_EQ(Run({QStringLiteral("--score"), QString::fromUtf8(word), wave}), 0) << word;
        const QJsonArray sounds = QJsonDocument::fromJson(out_.toUtf8())
                                      .object()
                                      .value(QStringLiteral("sounds"))
                                      .toArray();
        ASSERT_FALSE(sounds.isEmpty()) << word;
        int scored = 0;
        for (const QJsonValue s : sounds) {
            scored += s.toObject().value(QStringLiteral("score")).toInt() > 0 ? 1 : 0;
        }
        EXPECT_GT(scored, sounds.size() / 2) << word << ": " << out_.toStdString();
    }
}

// The speech engine's files are digitally silent between sounds, which no microphone is: said
// right, short words the model once heard as dropped or other sounds pass as a recording would.
TEST_F(ScoreCommand, ACleanFileSaidRightIsNotFailed) {
    for (const char* word : {"it", "take", "part", "world", "back"}) {
        ASSERT_EQ(
            Run({QStringLiteral("--score"), QString::fromUtf8(word), Said("clean.wav", word)}), 0)
            << word;
        EXPECT_GE(QJsonDocument::fromJson(out_.toUtf8()).object().value("score").toInt(), 50)
            << out_.toStdString();
    }
}

// m said alone, as a lesson asks (the speech engine's rendering): the silence removal takes so
// short a sound for silence (it once kept frames for the loop but none for the alignments).
TEST(PhoneScorer, ASoundSaidAloneIsAligned) {
    core::PcmSound said;
    ASSERT_TRUE(core::ReadPcmWave(LJT_TEST_DATA "m-said-alone.wav", said));
    sound::PhoneScorer scorer;
    const sound::PhoneScoring scored = scorer.Score({"M"}, said);
    ASSERT_TRUE(scored.status.ok);
    EXPECT_FALSE(scored.loop.empty());
    ASSERT_EQ(scored.aligned.size(), 3u) << "silence, m, silence";
    EXPECT_EQ(scored.aligned[1].phone, "M");
    EXPECT_FALSE(scored.scores.wordMissed);
}

// The dictionary's other pronunciations are offered where they say every sound: ɪ for ə in
// "forest", aɪ in "direct"; "thousand" without its d is the mistake the learner is told about.
TEST(PhoneScorer, OtherPronunciationsThatLeaveNoSoundOut) {
    using Phones = std::vector<std::vector<std::string>>;
    const struct {
        const char* word;
        Phones expected;
    } rows[] = {
        {"Forest", {{"F", "AO", "R", "AH", "S", "T"}, {"F", "AO", "R", "IH", "S", "T"}}},
        {"direct",
         {{"D", "ER", "EH", "K", "T"},
          {"D", "AY", "R", "EH", "K", "T"},
          {"D", "IH", "R", "EH", "K", "T"}}},
        {"thousand", {{"TH", "AW", "Z", "AH", "N", "D"}}},
        {"forest(2)", {}},
        {"zzzq", {}},
    };
    sound::PhoneScorer scorer;
    for (const auto& row : rows) {
        EXPECT_EQ(scorer.DictionaryPronunciations(row.word), row.expected) << row.word;
    }
}

// A word is scored as the pronunciation that was said: "dog" offered after "cat" is chosen.
TEST(PhoneScorer, ThePronunciationSaidIsKept) {
    core::PcmSound sound;
    ASSERT_TRUE(sound::Voice::SynthesizeToMemory("dog", 5, sound));
    const std::vector<std::string> cat{"K", "AE", "T"};
    const std::vector<std::string> dog{"D", "AO", "G"};
    sound::PhoneScorer scorer;
    const sound::PhoneScoring asCat = scorer.Score(cat, sound);
    const sound::PhoneScoring best = scorer.ScoreBest({cat, dog}, sound);
    ASSERT_TRUE(best.status.ok);
    ASSERT_EQ(best.scores.sounds.size(), 3u);
    EXPECT_EQ(best.scores.sounds[0].phone, "D");
    EXPECT_GE(best.scores.score, core::CloseScore);
    EXPECT_LT(asCat.scores.score, core::CloseScore);
    EXPECT_EQ(best.loop.size(), asCat.loop.size()) << "the loop is the recording's, decoded once";
}

// The front end's estimate of the noise once carried from one recording to the next: the same
// recording scored differently after a loud one or a quiet one.
TEST(PhoneScorer, ARecordingScoresTheSameWhateverWasScoredBefore) {
    const struct {
        const char* word;
        std::vector<std::string> phones;
        double gain;
    } said[] = {
        {"light", {"L", "AY", "T"}, 1.0},
        {"break", {"B", "R", "EY", "K"}, 0.1},
        {"own", {"OW", "N"}, 1.0},
        {"too", {"T", "UW"}, 0.05},
        {"storm", {"S", "T", "AO", "R", "M"}, 1.0},
        {"fourth", {"F", "AO", "R", "TH"}, 0.3},
        {"cancer", {"K", "AE", "N", "S", "ER"}, 1.0},
    };
    const auto frames = [](const std::vector<core::PhoneSegment>& segments) {
        std::vector<std::pair<int, int>> spans;
        for (const core::PhoneSegment& s : segments) {
            spans.emplace_back(s.first, s.last);
        }
        return spans;
    };
    sound::PhoneScorer inTurn;
    for (const auto& s : said) {
        core::PcmSound sound;
        ASSERT_TRUE(sound::Voice::SynthesizeToMemory(s.word, 5, sound)) << s.word;
        for (std::int16_t& sample : sound.samples) {
            sample = static_cast<std::int16_t>(std::lround(sample * s.gain));
        }
        sound::PhoneScorer fresh;
        const sound::PhoneScoring alone = fresh.Score(s.phones, sound);
        const sound::PhoneScoring after = inTurn.Score(s.phones, sound);
        ASSERT_TRUE(alone.status.ok && after.status.ok) << s.word;
        EXPECT_EQ(frames(after.aligned), frames(alone.aligned)) << s.word;
        EXPECT_EQ(frames(after.loop), frames(alone.loop)) << s.word;
        EXPECT_EQ(after.scores.score, alone.scores.score) << s.word;
    }
}

TEST_F(ScoreCommand, FilesThatCannotBeScoredSayWhy) {
    const core::PcmSound silence{std::vector<std::int16_t>(16000, 0), 1, 16000};
    const core::PcmSound oneSample{{1200}, 1, 16000};
    QFile text(Path("words.wav"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("think, sheep, cat\n");
    text.close();
    const struct {
        QStringList arguments;
        int exit;
        const char* message;
    } cases[] = {
        {{"--score", "think", WriteWave("silence.wav", silence)}, 1, "没有听到说话的声音"},
        {{"--score", "think", WriteWave("one.wav", oneSample)}, 1, "没有听到说话的声音"},
        {{"--score", "think", Path("words.wav")}, 1, "无法读取声音文件"},
        {{"--score", "think", Path("missing.wav")}, 1, "missing.wav"},
        {{"--score", "   ", Path("missing.wav")}, 2, "没有可以评分的读音"},
        {{"--score", "think"}, 2, "--score 需要一个单词和一个录音文件"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.arguments), c.exit) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(out_.isEmpty()) << out_.toStdString();
        EXPECT_TRUE(err_.contains(QString::fromUtf8(c.message)))
            << c.arguments.join(' ').toStdString() << ": " << err_.toStdString();
    }
}

} // namespace
