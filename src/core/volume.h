#pragma once
#include <cstdint>

namespace core {

/// Knob offsets on the volume track are kept between these values.
inline constexpr int KnobOffsetMin = 20;
inline constexpr int KnobOffsetMax = 100;
/// Speed-knob offset before the first restore.
inline constexpr int SpeedKnobDesignOffset = 50;
/// Where "声音还原" puts the knobs, and the values it sets.
inline constexpr int VolumeKnobRestoreOffset = 100;
inline constexpr int SpeedKnobRestoreOffset = 60;
inline constexpr std::uint32_t RestoreVolume = 0xFA00FA00u;
inline constexpr int DefaultSpeechSpeed = 150;

/// Limits a drop offset on the track to the knob range.
int ClampKnobOffset(int offset);
/// Volume level 0..255 from the volume knob's offset (20 is silence, 100 the highest).
int VolumeLevelFromOffset(int offset);
/// The 32-bit output volume (left channel low 16 bits, right high) set after a knob drag.
std::uint32_t VolumeFromOffset(int offset);
/// Knob offset placed from an output volume: bits 8-15 x 80 / 255 + 20.
int KnobOffsetFromVolume(std::uint32_t volume);
/// The output gain 0.0..1.0 that a volume value stands for (the louder channel).
double GainFromVolume(std::uint32_t volume);
/// The volume value that stands for a gain 0.0..1.0 in both channels.
std::uint32_t VolumeFromGain(double gain);
/// Speech speed from the speed knob's offset: offset x 3 - 10 (50..290).
int SpeechSpeedFromOffset(int offset);
/// The speech engine's words per minute for a program speed (150 is a calm normal pace).
int WordsPerMinuteFromSpeed(int speed);

} // namespace core
