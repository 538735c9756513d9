#pragma once
#include "status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// A sound as 16-bit samples, the channels interleaved.
struct PcmSound {
    std::vector<std::int16_t> samples;
    int channels = 1;
    int rate = 0;

    /// Number of sample frames (one sample of every channel).
    std::size_t Frames() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
};

/// Reads the samples of a wave file held in bytes. 8-, 24- and 32-bit PCM and 32-bit float
/// are brought to 16 bits (float clipped to full scale). False when the bytes are no wave file
/// the program can read.
bool DecodePcmWave(std::string_view bytes, PcmSound& sound);

/// Reads a wave file from disk: the read failure, or SoundUnreadable when it is no wave file
/// the program can read.
Status ReadPcmWave(const std::string& path, PcmSound& sound);

} // namespace core
