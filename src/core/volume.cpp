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
    // The program's speeds are words per minute (150 is the normal pace), but the engine
    // cannot go below 80: the slow end of the knob (50..150) is spread over 80..150 so that
    // every knob position still sounds different; above 150 the speed is passed on as it is.
    constexpr int EngineMin = 80;
    constexpr int EngineMax = 450;
    constexpr int SlowestSpeed = 50;
    if (speed < DefaultSpeechSpeed) {
        const int from = std::max(speed, SlowestSpeed);
        return EngineMin + (from - SlowestSpeed) * (DefaultSpeechSpeed - EngineMin) /
                               (DefaultSpeechSpeed - SlowestSpeed);
    }
    return std::min(speed, EngineMax);
}

} // namespace core
