// The wave-file reader: whatever the chunks say, the samples it finds lie inside the file,
// form whole frames of a format the players know, and a play of them is bounded.
#include "core/waveheader.h"

#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes = fuzz::Text(data, size);
    const auto info = core::ParseWave(bytes);
    if (info) {
        FUZZ_CHECK(info->dataOffset >= 12 && info->dataOffset <= bytes.size());
        FUZZ_CHECK(info->dataSize <= bytes.size() - info->dataOffset);
        FUZZ_CHECK(info->channels >= 1 && info->rate >= 1);
        FUZZ_CHECK(info->blockAlign == info->channels * info->bits / 8 && info->blockAlign > 0);
        FUZZ_CHECK(info->dataSize % static_cast<std::size_t>(info->blockAlign) == 0);
        FUZZ_CHECK(info->formatTag == core::WaveFormatPcm ||
                   info->formatTag == core::WaveFormatFloat);
        const std::int64_t limit = core::WavePlayLimitMs(*info, core::WordSoundLimitMs);
        FUZZ_CHECK(limit >= core::PlayGraceMs && limit <= core::WordSoundLimitMs);
    }

    // A header the program writes is read back as written.
    if (size >= 8) {
        const int channels = 1 + data[0] % 8;
        const int bits = 8 * (1 + data[1] % 4);
        const int rate = 1 + (data[2] | data[3] << 8 | data[4] << 16);
        const auto header = core::WaveHeader(channels, bits, rate, 0);
        std::string file(reinterpret_cast<const char*>(header.data()), header.size());
        const std::size_t frame = static_cast<std::size_t>(channels * bits / 8);
        file.append(bytes.substr(8));
        const auto back = core::ParseWave(file);
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(back->channels == channels && back->bits == bits && back->rate == rate);
        FUZZ_CHECK(back->dataOffset == core::WaveHeaderSize);
        FUZZ_CHECK(back->dataSize == (size - 8) / frame * frame);
    }
    return 0;
}
