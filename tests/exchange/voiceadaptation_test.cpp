// Adapting the acoustic model to a speaker: the trainer's files as written here, the programs
// run and stopped, and the whole path from a voice's recordings to scores with the adapted
// model; a missing program or a damaged file leaves scoring as it was.
#include "sound/phonescorer.h"
#include "sound/voice.h"
#include "sound/voiceadaptation.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

const sound::PhoneModelFiles Installed;

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// One class, one stream of width 2: the matrix rows, the bias and the variance scales.
constexpr const char* SmallAdaptation = "1\n1\n2\n1.0 0.0\n0.0 1.0\n0.5 -0.5\n1.0 1.0\n";

TEST(VoiceAdaptation, AdaptationFilesAreCheckedBeforeUse) {
    sound::ScratchFolder scratch;
    ASSERT_FALSE(scratch.Path().empty());
    const struct {
        const char* text;
        bool valid;
    } rows[] = {
        {SmallAdaptation, true},
        {"1\n1\n2\n1 0\n0 1\n0 0\n1 1\n", true},
        {"2\n1\n2\n1 0\n0 1\n0 0\n1 1\n", false},    // two classes
        {"1\n1\n2\n1 0\n0 1\n0 0\n1\n", false},      // cut short
        {"1\n1\n2\n1 0\n0 1\n0 0\n1 1\n7\n", false}, // more after it
        {"1\n1\n2\n1 nan\n0 1\n0 0\n1 1\n", false},  // not a number
        {"1\n1\n2\n1 0\n0 1\n0 0\n1 inf\n", false},  // not finite
        {"1\n1\n2\n1 0\n0 1\n0 1e9\n1 1\n", false},  // far beyond a speaker's
        {"1\n1\n2\n1 0\n0 1\n0 0\n1 0\n", false},    // no variance
        {"1\n0\n", false},                           // no stream
        {"", false},
        {"<html>", false},
    };
    const std::string path = scratch.Path() + "/a.txt";
    for (const auto& row : rows) {
        std::ofstream(path, std::ios::trunc) << row.text;
        EXPECT_EQ(sound::AdaptationFileValid(path, {2}), row.valid) << row.text;
    }
    std::ofstream(path, std::ios::trunc) << SmallAdaptation;
    EXPECT_FALSE(sound::AdaptationFileValid(path, {2, 2})) << "another model's streams";
    EXPECT_FALSE(sound::AdaptationFileValid(path, {3})) << "another model's widths";
    EXPECT_FALSE(sound::AdaptationFileValid(path, {})) << "a model without streams named";
    EXPECT_FALSE(sound::AdaptationFileValid(scratch.Path() + "/none.txt", {2}));
    EXPECT_EQ(sound::ModelStreamWidths(Installed.acousticModel), (std::vector<int>{13, 13, 13}));
    EXPECT_TRUE(sound::ModelStreamWidths(scratch.Path()).empty());
}

TEST(VoiceAdaptation, ProgramsRunAreWaitedForOrStopped) {
    EXPECT_TRUE(sound::RunTool("/bin/true", {}, 10));
    EXPECT_FALSE(sound::RunTool("/bin/false", {}, 10));
    EXPECT_FALSE(sound::RunTool("/nonexistent/bw", {}, 10));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(sound::RunTool("/bin/sleep", {"30"}, 1));
    bool asked = false;
    EXPECT_FALSE(sound::RunTool("/bin/sleep", {"30"}, 60, [&asked] {
        asked = true;
        return true;
    }));
    EXPECT_TRUE(asked);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

// The installed model's weights unpack to senones x streams x densities; a file cut short
// unpacks to nothing.
TEST(VoiceAdaptation, MixtureWeightsUnpackedOrRefused) {
    sound::ScratchFolder scratch;
    const std::string out = scratch.Path() + "/mixture_weights";
    ASSERT_TRUE(sound::WriteMixtureWeights(Installed.acousticModel + "/sendump", out));
    const std::string bytes = Text(out);
    const std::size_t header = bytes.find("endhdr\n") + 7;
    ASSERT_EQ(header % 4, 0u);
    std::uint32_t numbers[5] = {};
    std::memcpy(numbers, bytes.data() + header, sizeof numbers);
    EXPECT_EQ(numbers[0], 0x11223344u);
    EXPECT_EQ(numbers[2], 3u) << "three streams";
    EXPECT_EQ(numbers[4], numbers[1] * numbers[2] * numbers[3]);
    ASSERT_EQ(bytes.size(), header + sizeof numbers + numbers[4] * sizeof(float));
    // Each senone's weights in a stream are a distribution over the densities.
    const auto* weights = reinterpret_cast<const float*>(bytes.data() + header + sizeof numbers);
    for (const std::uint32_t senone : {0u, numbers[1] / 2, numbers[1] - 1}) {
        double sum = 0;
        for (std::uint32_t d = 0; d < numbers[3]; ++d) {
            const float w = weights[(senone * numbers[2]) * numbers[3] + d];
            EXPECT_TRUE(w > 0 && w <= 1) << w;
            sum += w;
        }
        EXPECT_NEAR(sum, 1.0, 0.1) << "senone " << senone;
    }

    // A model of its own: three senones, two densities, one stream, written density by
    // density (0, 10, 20 for the first), each a negative log in 1.0001 steps shifted by 10.
    const std::string tiny = Text(LJT_TEST_DATA "sendump-tiny");
    const std::string tinyOut = scratch.Path() + "/tiny-weights";
    ASSERT_TRUE(sound::WriteMixtureWeights(LJT_TEST_DATA "sendump-tiny", tinyOut));
    const std::string unpacked = Text(tinyOut);
    const std::size_t at = unpacked.find("endhdr\n") + 7;
    std::uint32_t tinyNumbers[5] = {};
    std::memcpy(tinyNumbers, unpacked.data() + at, sizeof tinyNumbers);
    EXPECT_EQ(std::vector<std::uint32_t>(tinyNumbers + 1, tinyNumbers + 5),
              (std::vector<std::uint32_t>{3, 1, 2, 6}));
    std::vector<float> tinyWeights(6);
    ASSERT_EQ(unpacked.size(), at + sizeof tinyNumbers + sizeof(float) * 6);
    std::memcpy(tinyWeights.data(), unpacked.data() + at + sizeof tinyNumbers, sizeof(float) * 6);
    // Senone by senone: (s0 d0, s0 d1), (s1 d0, s1 d1), (s2 d0, s2 d1).
    const int logs[6] = {0, 30, 10, 40, 20, 50};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(tinyWeights[static_cast<std::size_t>(i)], std::pow(1.0001, -(logs[i] << 10)),
                    1e-6)
            << i;
    }

    const std::string sendump = Text(Installed.acousticModel + "/sendump");
    for (const std::size_t keep : {std::size_t{0}, std::size_t{3}, std::size_t{200},
                                   sendump.size() / 2, sendump.size() - 1}) {
        const std::string cut = scratch.Path() + "/cut";
        std::ofstream(cut, std::ios::binary | std::ios::trunc) << sendump.substr(0, keep);
        fs::remove(out);
        EXPECT_FALSE(sound::WriteMixtureWeights(cut, out)) << keep;
        EXPECT_FALSE(fs::exists(out)) << keep;
    }
}

class AdaptedScorer : public ::testing::Test {
protected:
    static core::PcmSound Said(const std::string& text) {
        core::PcmSound sound;
        EXPECT_TRUE(sound::Voice::SynthesizeToMemory(text, 5, sound)) << text;
        return sound;
    }
    static std::vector<sound::VoiceSample> Samples() {
        std::vector<sound::VoiceSample> samples;
        sound::PhoneScorer scorer;
        for (const char* word : {"think", "good", "sheep", "very", "light", "water", "seven",
                                 "number", "garden", "yellow"}) {
            samples.push_back({scorer.DictionaryPhones(word), Said(word)});
        }
        return samples;
    }
    static double AlignedFit(const sound::PhoneScoring& s) {
        double sum = 0;
        for (const core::PhoneSegment& segment : s.aligned) {
            sum += segment.logLikelihood;
        }
        return sum;
    }
    sound::ScratchFolder scratch_;
};

// From a voice's recordings to an adaptation file, which the decoder then uses: the fit of the
// same recording changes, and it is still scored as the word said.
TEST_F(AdaptedScorer, LearnedFromRecordingsAndUsed) {
    const std::string file = scratch_.Path() + "/adaptation.txt";
    sound::PhoneScorer scorer;
    ASSERT_TRUE(scorer.Adapt(Samples(), file)) << "the trainer runs";
    ASSERT_TRUE(
        sound::AdaptationFileValid(file, sound::ModelStreamWidths(Installed.acousticModel)));
    EXPECT_FALSE(fs::exists(file + ".new"));

    const core::PcmSound word = Said("cat");
    const std::vector<std::string> cat = scorer.DictionaryPhones("cat");
    const sound::PhoneScoring before = scorer.Score(cat, word);
    scorer.UseAdaptation(file);
    const sound::PhoneScoring after = scorer.Score(cat, word);
    ASSERT_TRUE(before.status.ok && after.status.ok);
    EXPECT_NE(AlignedFit(after), AlignedFit(before)) << "the adapted model is the one used";
    EXPECT_GE(after.scores.score, core::CloseScore);
    scorer.UseAdaptation("");
    EXPECT_EQ(AlignedFit(scorer.Score(cat, word)), AlignedFit(before)) << "back as installed";
}

// Whatever fails, scoring goes on as installed: a missing program is named, recordings without
// speech teach nothing, and a damaged adaptation (or one of another model) is not used.
TEST_F(AdaptedScorer, FailuresLeaveTheModelAsInstalled) {
    const std::string file = scratch_.Path() + "/adaptation.txt";
    const std::vector<sound::VoiceSample> samples = Samples();
    sound::PhoneModelFiles noTrainer;
    noTrainer.trainerFolder = "/nonexistent";
    sound::PhoneModelFiles noConverter;
    noConverter.modelConverter = "/nonexistent/convert";
    const struct {
        sound::PhoneModelFiles files;
        std::vector<sound::VoiceSample> samples;
        core::Failure failure;
        const char* named;
    } rows[] = {
        {noTrainer, samples, core::Failure::PronunciationModel, "/nonexistent/bw"},
        {noConverter, samples, core::Failure::PronunciationModel, "/nonexistent/convert"},
        {Installed,
         {{{"K", "AE", "T"}, core::PcmSound{std::vector<std::int16_t>(8000), 1, 16000}}},
         core::Failure::SoundNoSpeech,
         ""},
        {Installed, {{{"K", "xx"}, samples[0].recording}}, core::Failure::SoundNoSpeech, ""},
    };
    for (const auto& row : rows) {
        sound::PhoneScorer scorer(row.files);
        const core::Status status = scorer.Adapt(row.samples, file);
        EXPECT_EQ(status.what, row.failure) << row.named;
        EXPECT_EQ(status.file, row.named);
        EXPECT_FALSE(fs::exists(file));
    }

    const core::PcmSound word = Said("cat");
    const std::vector<std::string> cat{"K", "AE", "T"};
    const double installed = AlignedFit(sound::PhoneScorer().Score(cat, word));
    for (const char* text : {"garbage\n", SmallAdaptation}) {
        std::ofstream(file, std::ios::trunc) << text;
        sound::PhoneScorer scorer;
        scorer.UseAdaptation(file);
        const sound::PhoneScoring scored = scorer.Score(cat, word);
        ASSERT_TRUE(scored.status.ok) << text;
        EXPECT_EQ(AlignedFit(scored), installed) << text;
    }
}

// Stopped while the trainer runs (the window closes), nothing is written.
TEST_F(AdaptedScorer, StoppedAdaptationWritesNothing) {
    const std::string file = scratch_.Path() + "/adaptation.txt";
    sound::PhoneScorer scorer;
    int asked = 0;
    EXPECT_TRUE(scorer.Adapt(Samples(), file, [&asked] { return ++asked > 3; }));
    EXPECT_GT(asked, 3);
    EXPECT_FALSE(fs::exists(file));
}

} // namespace
