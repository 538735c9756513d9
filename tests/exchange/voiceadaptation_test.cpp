// Adapting the acoustic model to a speaker: the trainer's files as written here, the programs
// run and stopped, and the whole path from a voice's recordings to scores with the adapted
// means; a missing program or a damaged file leaves scoring as it was.
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

std::string InstalledMeans() {
    return Installed.acousticModel + "/means";
}

/// The installed means with the float at index i of the means replaced by value, and their
/// checksum made to hold again (summed) or left as it was.
std::string MeansWith(std::size_t i, float value, bool summed = true) {
    std::string bytes = Text(InstalledMeans());
    const std::size_t mark = bytes.find("endhdr\n") + 7;
    const std::size_t data = mark + 4 + 12 + 12 + 4;
    std::memcpy(bytes.data() + data + 4 * i, &value, 4);
    if (summed) {
        std::uint32_t sum = 0;
        for (std::size_t at = mark + 4; at + 4 < bytes.size(); at += 4) {
            std::uint32_t word = 0;
            std::memcpy(&word, bytes.data() + at, 4);
            sum = ((sum << 20) | (sum >> 12)) + word;
        }
        std::memcpy(bytes.data() + bytes.size() - 4, &sum, 4);
    }
    return bytes;
}

TEST(VoiceAdaptation, AdaptedMeansAreCheckedBeforeUse) {
    sound::ScratchFolder scratch;
    ASSERT_FALSE(scratch.Path().empty());
    const std::string installed = Text(InstalledMeans());
    std::string otherCounts = installed;
    otherCounts[otherCounts.find("endhdr\n") + 7 + 4] ^= 1; // another count of Gaussians
    const struct {
        const char* what;
        std::string bytes;
        bool valid;
    } rows[] = {
        {"the installed means", installed, true},
        {"a mean moved", MeansWith(7, 12.5f), true},
        {"a mean moved, the checksum not", MeansWith(7, 12.5f, false), false},
        {"the last mean moved", MeansWith(42 * 3 * 128 * 13 - 1, -3.0f), true},
        {"not a number", MeansWith(3, std::nanf("")), false},
        {"infinite", MeansWith(0, INFINITY), false},
        {"far beyond any voice", MeansWith(5, 1e9f), false},
        {"another model's counts", otherCounts, false},
        {"cut short", installed.substr(0, installed.size() - 1), false},
        {"longer", installed + "x", false},
        {"empty", "", false},
        {"text", "s3\nendhdr\n", false},
    };
    const std::string path = scratch.Path() + "/adapted.means";
    for (const auto& row : rows) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << row.bytes;
        EXPECT_EQ(sound::AdaptedMeansValid(path, InstalledMeans()), row.valid) << row.what;
    }
    EXPECT_FALSE(sound::AdaptedMeansValid(scratch.Path() + "/none", InstalledMeans()));
    EXPECT_FALSE(sound::AdaptedMeansValid(InstalledMeans(), scratch.Path() + "/none"));
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
    const std::string file = scratch_.Path() + "/adapted.means";
    sound::PhoneScorer scorer;
    ASSERT_TRUE(scorer.Adapt(Samples(), file)) << "the trainer runs";
    ASSERT_TRUE(sound::AdaptedMeansValid(file, InstalledMeans()));
    EXPECT_NE(Text(file), Text(InstalledMeans())) << "the means moved";
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
    const std::string file = scratch_.Path() + "/adapted.means";
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
    // Damaged: text, or a mean changed without its checksum (on which the decoder once ended
    // the whole program).
    for (const std::string& bytes : {std::string("garbage\n"), MeansWith(11, 2.0f, false)}) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        sound::PhoneScorer scorer;
        scorer.UseAdaptation(file);
        const sound::PhoneScoring scored = scorer.Score(cat, word);
        ASSERT_TRUE(scored.status.ok) << bytes.size();
        EXPECT_EQ(AlignedFit(scored), installed) << bytes.size();
    }
}

// Stopped while the trainer runs (the window closes), nothing is written.
TEST_F(AdaptedScorer, StoppedAdaptationWritesNothing) {
    const std::string file = scratch_.Path() + "/adapted.means";
    sound::PhoneScorer scorer;
    int asked = 0;
    EXPECT_TRUE(scorer.Adapt(Samples(), file, [&asked] { return ++asked > 3; }));
    EXPECT_GT(asked, 3);
    EXPECT_FALSE(fs::exists(file));
}

} // namespace
