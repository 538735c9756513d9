#include "pcmwave.h"

#include "textfile.h"
#include "waveheader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace core {

namespace {

std::int16_t FromFloat(float v) {
    if (!(v == v)) { // NaN
        return 0;
    }
    float scaled = std::clamp(v, -1.0f, 1.0f) * 32767.0f;
    return static_cast<std::int16_t>(std::lround(scaled));
}

} // namespace

bool DecodePcmWave(std::string_view bytes, PcmSound& sound) {
    auto info = ParseWave(bytes);
    if (!info) {
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + info->dataOffset);
    std::size_t bytesPerSample = static_cast<std::size_t>(info->bits / 8);
    std::size_t count = info->dataSize / bytesPerSample;
    sound.channels = info->channels;
    sound.rate = info->rate;
    sound.samples.resize(count);
    for (std::size_t i = 0; i < count; ++i, p += bytesPerSample) {
        std::int16_t v = 0;
        if (info->formatTag == WaveFormatFloat) {
            float f;
            std::memcpy(&f, p, sizeof f);
            v = FromFloat(f);
        } else if (info->bits == 8) {
            // 8-bit wave samples are unsigned around 128.
            v = static_cast<std::int16_t>((static_cast<int>(p[0]) - 128) * 256);
        } else {
            // The two most significant bytes of a little-endian sample of 16, 24 or 32 bits.
            const unsigned char* top = p + bytesPerSample - 2;
            v = static_cast<std::int16_t>(static_cast<std::uint16_t>(top[0] | top[1] << 8));
        }
        sound.samples[i] = v;
    }
    return true;
}

Status ReadPcmWave(const std::string& path, PcmSound& sound) {
    std::string bytes;
    Status read = ReadFileBytes(path, bytes);
    if (!read) {
        return read;
    }
    if (!DecodePcmWave(bytes, sound)) {
        return Status::Sound(Failure::SoundUnreadable, path);
    }
    return Status::Ok();
}

} // namespace core
