#include "volume.h"

#include <algorithm>
#include <cmath>

namespace core {

int ClampKnobOffset(int offset) {
    return std::clamp(offset, KnobOffsetMin, KnobOffsetMax);
}

int VolumeLevelFromOffset(int offset) {
    return (ClampKnobOffset(offset) - KnobOffsetMin) * 255 / (KnobOffsetMax - KnobOffsetMin);
}

std::uint32_t VolumeFromOffset(int offset) {
    auto level = static_cast<std::uint32_t>(VolumeLevelFromOffset(offset));
    return (level << 8) | (level << 24);
}

int KnobOffsetFromVolume(std::uint32_t volume) {
    unsigned byte = (volume >> 8) & 0xFFu;
    return static_cast<int>(byte * 80u / 255u + 20u);
}

double GainFromVolume(std::uint32_t volume) {
    unsigned left = volume & 0xFFFFu;
    unsigned right = (volume >> 16) & 0xFFFFu;
    return static_cast<double>(std::max(left, right)) / 65535.0;
}

std::uint32_t VolumeFromGain(double gain) {
    auto channel = static_cast<std::uint32_t>(std::lround(std::clamp(gain, 0.0, 1.0) * 65535.0));
    return channel | (channel << 16);
}

int SpeechSpeedFromOffset(int offset) {
    return ClampKnobOffset(offset) * 3 - 10;
}

int WordsPerMinuteFromSpeed(int speed) {
    // The engine accepts 80..450 words per minute; the program's speeds (50..290, 150 normal)
    // are words per minute already, so they are only kept inside the engine's range.
    return std::clamp(speed, 80, 450);
}

} // namespace core
