// The pronunciation score on synthetic words (tests/core/syntheticvoice.h): what it must give
// for the same recording, a time-stretched one, silence and noise, another speaker and
// another word; the verdicts; the alignment; and what the analysis trims and measures.
#include "syntheticvoice.h"

#include "core/pcmwave.h"
#include "core/pronunciationscore.h"
#include "core/voiceanalysis.h"
#include "core/waveheader.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {

using core::AnalyseVoice;
using core::CompareVoices;
using core::Verdict;
using testvoice::Man;
using testvoice::Say;
using testvoice::Woman;
using testvoice::Word;

const Word Sia{{'s', 0.12}, {'i', 0.25}, {'a', 0.2}};
const Word Aus{{'a', 0.2}, {'u', 0.25}, {'s', 0.12}};
const Word Eoi{{'e', 0.15}, {'o', 0.2}, {'i', 0.2}};
const Word Asu{{'A', 0.25}, {'s', 0.1}, {'u', 0.2}};

double Score(const core::PcmSound& model, const core::PcmSound& learner) {
    return CompareVoices(AnalyseVoice(model), AnalyseVoice(learner)).score;
}

TEST(PronunciationScore, ARecordingAgainstItselfScores100) {
    for (const Word& word : {Sia, Aus, Eoi, Asu}) {
        for (const auto& speaker : {Man, Woman}) {
            const core::PcmSound sound = Say(word, speaker);
            const core::VoiceComparison c = CompareVoices(AnalyseVoice(sound), AnalyseVoice(sound));
            EXPECT_EQ(c.score, 100.0);
            EXPECT_EQ(c.Rounded(), 100);
            EXPECT_EQ(c.verdict, Verdict::VeryGood);
            EXPECT_EQ(c.cost, 0.0);
        }
    }
}

TEST(PronunciationScore, LoudnessRateAndChannelsDoNotCount) {
    const core::PcmSound model = Say(Sia, Man);
    // Much quieter, at the recording's 44.1 kHz, and in two channels.
    core::PcmSound quiet = Say(Sia, Man, 1.0, 44100, 0.2, 0.03);
    core::PcmSound stereo;
    stereo.rate = quiet.rate;
    stereo.channels = 2;
    for (std::int16_t s : quiet.samples) {
        stereo.samples.push_back(s);
        stereo.samples.push_back(s);
    }
    EXPECT_GT(Score(model, quiet), 95);
    EXPECT_GT(Score(model, stereo), 95);
}

TEST(PronunciationScore, TimeStretchedByTwentyPercentStaysAbove85) {
    struct Row {
        const Word& word;
        testvoice::Speaker speaker;
        double tempo;
    };
    const Row rows[] = {{Sia, Man, 0.8}, {Sia, Man, 1.2},   {Aus, Woman, 0.8}, {Aus, Woman, 1.2},
                        {Eoi, Man, 0.8}, {Eoi, Woman, 1.2}, {Asu, Man, 1.2},   {Asu, Woman, 0.8}};
    for (const Row& row : rows) {
        const double score =
            Score(Say(row.word, row.speaker), Say(row.word, row.speaker, row.tempo));
        EXPECT_GT(score, 85) << "tempo " << row.tempo;
        EXPECT_LT(score, 100) << "a stretched word is not the same recording";
    }
}

TEST(PronunciationScore, SilenceAndNoiseScoreBelow20) {
    using testvoice::Join;
    using testvoice::Noise;
    struct Row {
        const char* name;
        core::PcmSound heard;
        bool speech; ///< whether the analysis finds anything to compare
    };
    const Row rows[] = {
        {"digital silence", Noise(2.0, 0.0), false},
        {"quiet room hiss", Noise(2.0, 0.0003), false},
        {"a click", Join(Join(Noise(0.5, 0.0), Noise(0.03, 0.3)), Noise(0.5, 0.0)), false},
        {"loud white noise", Noise(2.0, 0.1), true},
        {"noise as long as the word", Noise(0.6, 0.1), true},
        {"a burst of noise in silence",
         Join(Join(Noise(0.6, 0.0), Noise(0.5, 0.1)), Noise(0.6, 0.0)), true},
        {"an empty recording", core::PcmSound{{}, 2, 44100}, false},
    };
    for (const auto& model : {Say(Sia, Man), Say(Eoi, Woman)}) {
        const core::VoiceAnalysis analysed = AnalyseVoice(model);
        for (const Row& row : rows) {
            const core::VoiceComparison c = CompareVoices(analysed, AnalyseVoice(row.heard));
            EXPECT_LT(c.score, 20) << row.name;
            EXPECT_EQ(c.learnerSpeech, row.speech) << row.name;
            EXPECT_EQ(c.verdict, Verdict::TryAgain) << row.name;
            // Nothing to show for the learner, but the model is still drawn.
            EXPECT_EQ(c.learnerEnvelope.size(), c.modelEnvelope.size()) << row.name;
        }
    }
    // Nor does a model without speech give anything but 0.
    EXPECT_EQ(Score(Noise(1.0, 0.0), Say(Sia, Man)), 0.0);
}

TEST(PronunciationScore, AnotherWordScoresBelowTheSameWordByAnotherSpeaker) {
    struct Row {
        const Word& word;
        const Word& other;
    };
    const Row rows[] = {{Sia, Aus}, {Sia, Eoi}, {Aus, Asu}, {Eoi, Sia}, {Asu, Eoi}, {Asu, Aus}};
    for (const Row& row : rows) {
        for (const auto& [modelSpeaker, otherSpeaker] : {std::pair{Man, Woman}, {Woman, Man}}) {
            const core::PcmSound model = Say(row.word, modelSpeaker);
            const double sameWord = Score(model, Say(row.word, otherSpeaker));
            const double otherWord = Score(model, Say(row.other, modelSpeaker));
            // By a clear margin: a third of the scale.
            EXPECT_GT(sameWord, otherWord + 33) << "pitch " << modelSpeaker.pitchHz;
            EXPECT_EQ(core::VerdictOf(sameWord), Verdict::VeryGood);
        }
    }
}

TEST(PronunciationScore, VerdictsAndTheMappingOfCosts) {
    struct Row {
        double score;
        Verdict verdict;
    };
    const Row rows[] = {{100, Verdict::VeryGood},   {core::VeryGoodScore, Verdict::VeryGood},
                        {79.99, Verdict::Close},    {core::CloseScore, Verdict::Close},
                        {49.99, Verdict::TryAgain}, {0, Verdict::TryAgain}};
    for (const Row& row : rows) {
        EXPECT_EQ(core::VerdictOf(row.score), row.verdict) << row.score;
    }
    EXPECT_EQ(core::ScoreFromCost(0), 100.0);
    double last = 100.0;
    for (double cost = 0.05; cost < 3; cost += 0.05) {
        const double score = core::ScoreFromCost(cost);
        EXPECT_LT(score, last) << "the score falls as the cost grows: " << cost;
        EXPECT_GT(score, 0.0) << "and never ties at 0: " << cost;
        last = score;
    }
    EXPECT_EQ(core::ScoreFromCost(std::numeric_limits<double>::infinity()), 0.0);
    EXPECT_EQ(core::ScoreFromCost(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(PronunciationScore, TheAlignmentWalksBothRecordingsFromStartToEnd) {
    const std::vector<core::Cepstrum> a =
        core::ComparedFeatures(AnalyseVoice(Say(Aus, Man)), core::NeutralWarp);
    const std::vector<core::Cepstrum> b =
        core::ComparedFeatures(AnalyseVoice(Say(Aus, Man, 1.2)), core::NeutralWarp);
    const core::Alignment alignment = core::AlignFrames(a, b);
    ASSERT_FALSE(alignment.path.empty());
    EXPECT_EQ(alignment.path.front(), std::make_pair(0, 0));
    EXPECT_EQ(alignment.path.back(),
              std::make_pair(static_cast<int>(a.size()) - 1, static_cast<int>(b.size()) - 1));
    for (std::size_t k = 1; k < alignment.path.size(); ++k) {
        const int di = alignment.path[k].first - alignment.path[k - 1].first;
        const int dj = alignment.path[k].second - alignment.path[k - 1].second;
        EXPECT_TRUE((di == 1 || di == 0) && (dj == 1 || dj == 0) && di + dj > 0) << k;
    }
    EXPECT_EQ(alignment.distances.size(), alignment.path.size());
    EXPECT_TRUE(std::isinf(core::AlignFrames(a, {}).cost));
    EXPECT_TRUE(core::AlignFrames({}, b).path.empty());
}

TEST(PronunciationScore, TheLearnersTracesLieOnTheModelsTimeAxis) {
    const core::VoiceComparison c =
        CompareVoices(AnalyseVoice(Say(Eoi, Man)), AnalyseVoice(Say(Eoi, Woman, 1.2)));
    const std::size_t n = c.modelEnvelope.size();
    ASSERT_GT(n, 30u);
    for (const auto* trace : {&c.learnerEnvelope, &c.modelPitch, &c.learnerPitch, &c.mismatch}) {
        EXPECT_EQ(trace->size(), n);
    }
    // Both speakers' pitch falls over the word, each around its own median.
    auto first = [](const std::vector<float>& v) {
        auto it = std::find_if(v.begin(), v.end(), [](float p) { return !std::isnan(p); });
        return it == v.end() ? std::nanf("") : *it;
    };
    auto last = [](const std::vector<float>& v) {
        auto it = std::find_if(v.rbegin(), v.rend(), [](float p) { return !std::isnan(p); });
        return it == v.rend() ? std::nanf("") : *it;
    };
    EXPECT_GT(first(c.modelPitch), last(c.modelPitch) + 3);
    EXPECT_GT(first(c.learnerPitch), last(c.learnerPitch) + 3);
    for (float m : c.mismatch) {
        EXPECT_TRUE(m >= 0 && m <= 1) << m;
    }
}

TEST(VoiceAnalysis, TrimsTheSilenceAndFindsThePitch) {
    struct Row {
        const char* name;
        core::PcmSound sound;
        core::VoicePart part;
        double start;
        double seconds;
    };
    const core::PcmSound twice =
        testvoice::Join(Say(Eoi, Man, 1.0, 16000, 0.3), Say(Sia, Man, 1.0, 16000, 0.3));
    const Row rows[] = {
        {"a word after 0.2 s", Say(Eoi, Man), core::VoicePart::Whole, 0.2, 0.55},
        {"a word after 0.7 s", Say(Eoi, Man, 1.0, 16000, 0.7), core::VoicePart::Whole, 0.7, 0.55},
        {"a word at 8 kHz", Say(Aus, Woman, 1.0, 8000), core::VoicePart::Whole, 0.2, 0.57},
        {"two words, whole", twice, core::VoicePart::Whole, 0.3, 0.55 + 0.6 + 0.57},
        {"two words, the first", twice, core::VoicePart::FirstUtterance, 0.3, 0.55},
    };
    for (const Row& row : rows) {
        const core::VoiceAnalysis v = AnalyseVoice(row.sound, row.part);
        ASSERT_TRUE(v.speech) << row.name;
        // Within the soft edges of the word and the margin kept around it.
        EXPECT_NEAR(v.startSeconds, row.start, 0.05) << row.name;
        EXPECT_NEAR(v.seconds, row.seconds, 0.09) << row.name;
        EXPECT_EQ(v.Frames(), v.envelope.size()) << row.name;
        EXPECT_EQ(v.pitch.size(), v.Frames()) << row.name;
        for (const auto& warped : v.cepstra) {
            EXPECT_EQ(warped.size(), v.Frames()) << row.name;
        }
        EXPECT_FLOAT_EQ(*std::max_element(v.envelope.begin(), v.envelope.end()), 1.0f);
    }
    // The man's pitch falls from 110 to 73 Hz, the woman's from 205 to 137.
    EXPECT_NEAR(AnalyseVoice(Say(Eoi, Man)).medianPitchHz, 92, 12);
    EXPECT_NEAR(AnalyseVoice(Say(Eoi, Woman)).medianPitchHz, 171, 20);
}

TEST(VoiceAnalysis, RefusesRatesItCannotHear) {
    for (int rate : {0, 1, 3999, 192001, 1000000000}) {
        core::PcmSound sound = Say(Sia, Man);
        sound.rate = rate;
        EXPECT_FALSE(AnalyseVoice(sound).speech) << rate;
    }
    core::PcmSound noChannels = Say(Sia, Man);
    noChannels.channels = 0;
    EXPECT_FALSE(AnalyseVoice(noChannels).speech);
}

TEST(PcmWave, DecodesEverySampleFormatToSixteenBits) {
    struct Row {
        int bits;
        int tag;
        std::vector<unsigned char> sample; ///< one sample, little-endian
        std::int16_t expected;
    };
    const float half = 0.5f;
    std::vector<unsigned char> halfFloat(4);
    std::memcpy(halfFloat.data(), &half, 4);
    const float tooLoud = 3.0f;
    std::vector<unsigned char> tooLoudFloat(4);
    std::memcpy(tooLoudFloat.data(), &tooLoud, 4);
    const Row rows[] = {
        {8, core::WaveFormatPcm, {0xC0}, 64 * 256},
        {8, core::WaveFormatPcm, {0x00}, -32768},
        {16, core::WaveFormatPcm, {0x34, 0x12}, 0x1234},
        {16, core::WaveFormatPcm, {0x00, 0x80}, -32768},
        {24, core::WaveFormatPcm, {0xFF, 0x34, 0x12}, 0x1234},
        {32, core::WaveFormatPcm, {0xFF, 0xFF, 0x00, 0xC0}, -16384},
        {32, core::WaveFormatFloat, halfFloat, 16384},
        {32, core::WaveFormatFloat, tooLoudFloat, 32767},
    };
    for (const Row& row : rows) {
        const auto header = core::WaveHeader(
            1, row.bits, 22050, static_cast<std::uint32_t>(row.sample.size()), row.tag);
        std::string bytes(header.begin(), header.end());
        bytes.append(row.sample.begin(), row.sample.end());
        core::PcmSound sound;
        ASSERT_TRUE(core::DecodePcmWave(bytes, sound)) << row.bits;
        ASSERT_EQ(sound.samples.size(), 1u) << row.bits;
        EXPECT_EQ(sound.samples[0], row.expected) << row.bits << " bits, tag " << row.tag;
        EXPECT_EQ(sound.rate, 22050);
    }
    core::PcmSound sound;
    EXPECT_FALSE(core::DecodePcmWave("RIFF....WAVEdata", sound));
    EXPECT_FALSE(core::DecodePcmWave("", sound));
    EXPECT_FALSE(core::ReadPcmWave("/nonexistent/x.wav", sound));
}

} // namespace
