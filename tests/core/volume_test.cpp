// The knob, volume and speed arithmetic of the volume control.
#include "core/volume.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct KnobCase {
    int offset;
    int level;
    std::uint32_t volume;
};

class VolumeKnob : public ::testing::TestWithParam<KnobCase> {};

TEST_P(VolumeKnob, LevelAndVolumeFromOffset) {
    const auto& c = GetParam();
    EXPECT_EQ(core::VolumeLevelFromOffset(c.offset), c.level);
    EXPECT_EQ(core::VolumeFromOffset(c.offset), c.volume);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, VolumeKnob,
    ::testing::Values(KnobCase{20, 0, 0x00000000u},    // the left end is silence
                      KnobCase{19, 0, 0x00000000u},    // held inside the track
                      KnobCase{-5, 0, 0x00000000u},    //
                      KnobCase{21, 3, 0x03000300u},    // 255 / 80 = 3 by integer division
                      KnobCase{60, 127, 0x7F007F00u},  // 40 x 255 / 80 = 127.5 -> 127
                      KnobCase{99, 251, 0xFB00FB00u},  //
                      KnobCase{100, 255, 0xFF00FF00u}, // the right end is the highest level
                      KnobCase{140, 255, 0xFF00FF00u}));

TEST(VolumeKnob, ClampKeepsOffsetsOnTheTrack) {
    EXPECT_EQ(core::ClampKnobOffset(0), 20);
    EXPECT_EQ(core::ClampKnobOffset(20), 20);
    EXPECT_EQ(core::ClampKnobOffset(57), 57);
    EXPECT_EQ(core::ClampKnobOffset(100), 100);
    EXPECT_EQ(core::ClampKnobOffset(101), 100);
}

struct PlaceCase {
    std::uint32_t volume;
    int offset;
};

class KnobPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(KnobPlacement, OffsetFromTheLeftChannelsHighByte) {
    EXPECT_EQ(core::KnobOffsetFromVolume(GetParam().volume), GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, KnobPlacement,
    ::testing::Values(PlaceCase{0x00000000u, 20}, PlaceCase{0xFFFFFFFFu, 100},
                      PlaceCase{0xFF00FF00u, 100},
                      // The restore value places the knob at 98, not where restore puts it.
                      PlaceCase{0xFA00FA00u, 98},
                      // Only bits 8-15 count: the right channel and the low byte do not.
                      PlaceCase{0xFFFF0000u, 20}, PlaceCase{0x000000FFu, 20},
                      PlaceCase{0x00008000u, 60}, PlaceCase{0x00000100u, 20}));

TEST(KnobPlacement, PlacingFromADraggedVolumeLandsWithinOneOfTheDrag) {
    for (int offset = core::KnobOffsetMin; offset <= core::KnobOffsetMax; ++offset) {
        int back = core::KnobOffsetFromVolume(core::VolumeFromOffset(offset));
        EXPECT_LE(back, offset) << offset;
        EXPECT_GE(back, offset - 1) << offset;
    }
}

TEST(Restore, KnobAtTheTopWhileTheVolumeIsFA00PerChannel) {
    EXPECT_EQ(core::VolumeKnobRestoreOffset, 100);
    EXPECT_EQ(core::RestoreVolume, 0xFA00FA00u);
    // The knob's own position would stand for FF00 per channel: restore sets less than that.
    EXPECT_EQ(core::VolumeFromOffset(core::VolumeKnobRestoreOffset), 0xFF00FF00u);
    EXPECT_LT(core::GainFromVolume(core::RestoreVolume),
              core::GainFromVolume(core::VolumeFromOffset(core::VolumeKnobRestoreOffset)));
    EXPECT_EQ(core::SpeedKnobRestoreOffset, 60);
    EXPECT_EQ(core::DefaultSpeechSpeed, 150);
}

struct GainCase {
    std::uint32_t volume;
    double gain;
};

class Gain : public ::testing::TestWithParam<GainCase> {};

TEST_P(Gain, TheLouderChannelGivesTheGain) {
    EXPECT_NEAR(core::GainFromVolume(GetParam().volume), GetParam().gain, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Volumes, Gain,
                         ::testing::Values(GainCase{0x00000000u, 0.0}, GainCase{0xFFFFFFFFu, 1.0},
                                           GainCase{0xFA00FA00u, 64000.0 / 65535.0},
                                           GainCase{0x7F007F00u, 32512.0 / 65535.0},
                                           GainCase{0x0000FFFFu, 1.0},
                                           GainCase{0x80000000u, 32768.0 / 65535.0}));

TEST(Gain, VolumeFromGainIsHeldToTheRangeAndRoundTrips) {
    EXPECT_EQ(core::VolumeFromGain(0.0), 0u);
    EXPECT_EQ(core::VolumeFromGain(-0.5), 0u);
    EXPECT_EQ(core::VolumeFromGain(1.0), 0xFFFFFFFFu);
    EXPECT_EQ(core::VolumeFromGain(3.0), 0xFFFFFFFFu);
    EXPECT_EQ(core::VolumeFromGain(0.5), 0x80008000u);
    for (std::uint32_t v : {0u, 0x12341234u, 0xFA00FA00u, 0xFFFFFFFFu}) {
        EXPECT_EQ(core::VolumeFromGain(core::GainFromVolume(v)), v) << std::hex << v;
    }
}

struct SpeedCase {
    int offset;
    int speed;
};

class SpeedKnob : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(SpeedKnob, SpeedIsThreeTimesTheOffsetLessTen) {
    EXPECT_EQ(core::SpeechSpeedFromOffset(GetParam().offset), GetParam().speed);
}

INSTANTIATE_TEST_SUITE_P(Offsets, SpeedKnob,
                         ::testing::Values(SpeedCase{20, 50}, SpeedCase{50, 140},
                                           SpeedCase{60, 170}, SpeedCase{100, 290},
                                           SpeedCase{0, 50}, SpeedCase{120, 290}));

TEST(SpeedKnob, RestoreSpeaksAt150ButADragToTheSamePlaceGives170) {
    int restored = core::DefaultSpeechSpeed;
    int dragged = core::SpeechSpeedFromOffset(core::SpeedKnobRestoreOffset);
    EXPECT_EQ(restored, 150);
    EXPECT_EQ(dragged, 170);
    // The engine must hear the difference.
    EXPECT_LT(core::WordsPerMinuteFromSpeed(restored), core::WordsPerMinuteFromSpeed(dragged));
}

TEST(SpeedKnob, EngineRateStaysInItsRangeAndNeverSlowsAsTheKnobMovesRight) {
    int previous = 0;
    for (int offset = core::KnobOffsetMin; offset <= core::KnobOffsetMax; ++offset) {
        int wpm = core::WordsPerMinuteFromSpeed(core::SpeechSpeedFromOffset(offset));
        EXPECT_GE(wpm, 80) << offset;
        EXPECT_LE(wpm, 450) << offset;
        EXPECT_GT(wpm, previous) << "every knob step changes the pace, offset " << offset;
        previous = wpm;
    }
    EXPECT_EQ(core::WordsPerMinuteFromSpeed(core::DefaultSpeechSpeed), 150);
    EXPECT_GT(core::WordsPerMinuteFromSpeed(290), core::WordsPerMinuteFromSpeed(150));
}

} // namespace
