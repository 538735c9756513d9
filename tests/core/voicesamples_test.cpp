// The learner's voice samples: what is kept, how many, when the model is adapted again, and
// that the index read back is the one written (lines another program left are skipped).
#include "core/voicesamples.h"

#include "core/pcmwave.h"
#include "test_dir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

core::PcmSound Tone(std::size_t n) {
    core::PcmSound sound;
    sound.rate = 16000;
    for (std::size_t i = 0; i < n; ++i) {
        sound.samples.push_back(static_cast<std::int16_t>((i % 40) * 500 - 10000));
    }
    return sound;
}

TEST(VoiceSamples, KeptWrittenAndReadBack) {
    TestDir dir;
    const std::string folder = dir.AppDir() + "Bob/voice/";
    std::filesystem::create_directories(dir.AppDir() + "Bob");
    core::VoiceSamples samples(folder);
    EXPECT_FALSE(samples.AdaptationDue());
    const core::PcmSound tone = Tone(1000);
    ASSERT_TRUE(samples.Add({"G", "UH", "D"}, tone));
    // Not kept: no sounds, no samples, two channels, a phone the model does not name.
    core::PcmSound stereo = tone;
    stereo.channels = 2;
    for (const auto& [phones, sound] :
         std::vector<std::pair<std::vector<std::string>, core::PcmSound>>{{{}, tone},
                                                                          {{"G"}, core::PcmSound{}},
                                                                          {{"G"}, stereo},
                                                                          {{"g"}, tone},
                                                                          {{"G", "../x"}, tone}}) {
        EXPECT_TRUE(samples.Add(phones, sound));
    }
    ASSERT_TRUE(samples.Add({"S", "K", "AY"}, tone));

    core::VoiceSamples again(folder);
    const std::vector<core::VoiceSampleFile> read = again.Samples();
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].phones, (std::vector<std::string>{"G", "UH", "D"}));
    EXPECT_EQ(read[1].phones, (std::vector<std::string>{"S", "K", "AY"}));
    EXPECT_EQ(read[1].path, folder + "2.wav");
    core::PcmSound back;
    ASSERT_TRUE(core::ReadPcmWave(read[0].path, back));
    EXPECT_EQ(back.samples, tone.samples);
    EXPECT_EQ(back.rate, 16000);
    EXPECT_EQ(again.AdaptationPath(), folder + "adapted.means");

    // A learner without a name has no voice folder; one with a name has it in the learner's.
    EXPECT_EQ(core::LearnerVoiceFolder(dir.AppDir(), ""), "");
    EXPECT_EQ(core::LearnerVoiceFolder(dir.AppDir(), ".."), "");
    EXPECT_EQ(core::LearnerVoiceFolder(dir.AppDir(), "Bob"), folder);
}

// The oldest go beyond the most kept; the first adaptation waits for enough, the next ones
// for enough new recordings; a lost adaptation file is made again.
TEST(VoiceSamples, KeptUpToTheMostAndAdaptedWhenDue) {
    TestDir dir;
    const std::string folder = dir.AppDir() + "voice/";
    core::VoiceSamples samples(folder, {5, 3, 2});
    const core::PcmSound tone = Tone(100);
    const struct {
        int add;
        bool due;
    } steps[] = {{2, false}, {1, true}};
    for (const auto& step : steps) {
        for (int i = 0; i < step.add; ++i) {
            ASSERT_TRUE(samples.Add({"AA"}, tone));
        }
        EXPECT_EQ(samples.AdaptationDue(), step.due);
    }
    ASSERT_TRUE(samples.MarkAdapted(samples.Samples().back().number));
    std::ofstream(samples.AdaptationPath()) << "made\n";
    EXPECT_FALSE(samples.AdaptationDue());
    ASSERT_TRUE(samples.Add({"AA"}, tone));
    EXPECT_FALSE(core::VoiceSamples(folder, {5, 3, 2}).AdaptationDue()) << "one new of two";
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(samples.Add({"AA"}, tone));
    }
    core::VoiceSamples read(folder, {5, 3, 2});
    EXPECT_TRUE(read.AdaptationDue());
    const std::vector<core::VoiceSampleFile> kept = read.Samples();
    ASSERT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept.front().number, 4);
    EXPECT_EQ(kept.back().number, 8);
    EXPECT_FALSE(std::filesystem::exists(folder + "3.wav")) << "the oldest file goes with it";
    ASSERT_TRUE(read.MarkAdapted(8));
    EXPECT_FALSE(read.AdaptationDue());
    std::filesystem::remove(read.AdaptationPath());
    EXPECT_TRUE(read.AdaptationDue());
}

// Lines this program did not write are skipped, and a sample whose file is gone is not
// offered; the numbers go on from the last one kept.
TEST(VoiceSamples, AForeignOrDamagedIndexIsReadSafely) {
    TestDir dir;
    const std::string folder = dir.AppDir() + "voice/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "samples.txt")
        << "adapted 2\n3 G UH D\nx K\n2 AA\n-1 AA\n4\n5 AA ../../etc\n7 S IY\n\n9 AE\n";
    for (const char* name : {"3.wav", "7.wav"}) {
        std::ofstream(folder + name) << "RIFF";
    }
    core::VoiceSamples samples(folder);
    const std::vector<core::VoiceSampleFile> read = samples.Samples();
    ASSERT_EQ(read.size(), 2u) << "9.wav is missing";
    EXPECT_EQ(read[0].number, 3);
    EXPECT_EQ(read[1].number, 7);
    ASSERT_TRUE(samples.Add({"AA"}, Tone(10)));
    EXPECT_TRUE(std::filesystem::exists(folder + "10.wav"));
}

} // namespace
