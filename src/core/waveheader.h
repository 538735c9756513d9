#pragma once
#include "status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

/// Size of the canonical header the program writes in front of recorded sound.
inline constexpr std::size_t WaveHeaderSize = 44;

/// Format codes of the wave "fmt " chunk that the program handles.
inline constexpr int WaveFormatPcm = 1;
inline constexpr int WaveFormatFloat = 3;

/// The 44-byte header of a PCM wave file (all numbers little-endian). dataSize is the number of
/// sample bytes that follow; 0 (as written before recording) gives a RIFF size of 36.
std::array<std::uint8_t, WaveHeaderSize> WaveHeader(int channels, int bits, int rate,
                                                    std::uint32_t dataSize = 0,
                                                    int formatTag = WaveFormatPcm);

/// What a wave file holds: its sample format and where the samples lie in the file.
struct WaveInfo {
    int formatTag = WaveFormatPcm;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int blockAlign = 0;
    std::size_t dataOffset = 0; ///< first sample byte
    std::size_t dataSize = 0;   ///< sample bytes, limited to what the file really holds
};

/// Reads the chunks of a RIFF/WAVE file. Unknown chunks are skipped; a data size that is 0 or
/// runs past the end (a recording that was never finished) is taken as "up to the end of the
/// file". Empty when the bytes are not a wave file with PCM or float samples.
std::optional<WaveInfo> ParseWave(std::string_view bytes);

/// The slowest sample rate a real recording is made at; a header that states less lies.
inline constexpr int SlowestSaneRate = 8000;
/// Time a play is given beyond what its samples need, for the device to start and drain.
inline constexpr std::int64_t PlayGraceMs = 1000;
/// The longest a word's sound may play before it counts as stuck.
inline constexpr std::int64_t WordSoundLimitMs = 15000;

/// How long the samples of a wave file may sound before the play is stopped as stuck: their
/// length at the slowest sane rate (so that a header stating a rate of 1 Hz cannot make a
/// few bytes play for hours) plus PlayGraceMs, and never more than capMs when capMs > 0.
std::int64_t WavePlayLimitMs(const WaveInfo& info, std::int64_t capMs);

/// Rewrites the RIFF and data sizes of a file that starts with the 44-byte header, so that
/// they match the bytes that follow it.
Status FinishWaveSizes(const std::string& path);

/// Rewrites the whole 44-byte header of such a file with the given format and the sizes of
/// the bytes that follow it (used when the device recorded in a format of its own).
Status FinishWaveFile(const std::string& path, int channels, int bits, int rate,
                      int formatTag = WaveFormatPcm);

} // namespace core
