#include "waveheader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace core {

namespace {

void Put16(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFFu);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFFu);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v & 0xFFFFu);
    Put16(p + 2, v >> 16);
}

unsigned Get16(std::string_view b, std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(b[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8;
}

std::uint32_t Get32(std::string_view b, std::size_t at) {
    return Get16(b, at) | static_cast<std::uint32_t>(Get16(b, at + 2)) << 16;
}

// Extensible format: the real format code is the first two bytes of the sub-format GUID.
constexpr unsigned WaveFormatExtensible = 0xFFFE;

// Rewrites the first 44 bytes of path. keepFormat reads channels/bits/rate from the file.
Status RewriteHeader(const std::string& path, bool keepFormat, int channels, int bits, int rate,
                     int formatTag) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        return Status::Sound(Failure::SoundUnreadable, path, ec.value());
    }
    if (size < WaveHeaderSize) {
        return Status::Sound(Failure::SoundIncomplete, path);
    }
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (f == nullptr) {
        return Status::Sound(Failure::SoundOpen, path, errno);
    }
    std::array<std::uint8_t, WaveHeaderSize> header{};
    bool ok = true;
    if (keepFormat) {
        ok = std::fread(header.data(), 1, header.size(), f) == header.size();
        std::string_view view(reinterpret_cast<const char*>(header.data()), header.size());
        ok = ok && view.substr(0, 4) == "RIFF" && view.substr(8, 4) == "WAVE" &&
             view.substr(12, 4) == "fmt ";
        if (ok) {
            formatTag = static_cast<int>(Get16(view, 20));
            channels = static_cast<int>(Get16(view, 22));
            rate = static_cast<int>(Get32(view, 24));
            bits = static_cast<int>(Get16(view, 34));
        }
    }
    // The size fields are 32 bits: a longer file keeps the largest size they can state.
    std::uint64_t data = size - WaveHeaderSize;
    std::uint64_t limit = std::numeric_limits<std::uint32_t>::max() - 36;
    if (data > limit) {
        data = limit;
    }
    if (ok) {
        header = WaveHeader(channels, bits, rate, static_cast<std::uint32_t>(data), formatTag);
        ok = std::fseek(f, 0, SEEK_SET) == 0 &&
             std::fwrite(header.data(), 1, header.size(), f) == header.size();
    }
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        return Status::Sound(Failure::SoundWrite, path);
    }
    return Status::Ok();
}

} // namespace

std::array<std::uint8_t, WaveHeaderSize> WaveHeader(int channels, int bits, int rate,
                                                    std::uint32_t dataSize, int formatTag) {
    std::array<std::uint8_t, WaveHeaderSize> h{};
    // A sample of a bit count that is not a multiple of 8 still fills whole bytes.
    auto bytesPerSample = static_cast<std::uint32_t>((bits + 7) / 8);
    auto ch = static_cast<std::uint32_t>(channels);
    auto sampleRate = static_cast<std::uint32_t>(rate);
    std::memcpy(h.data(), "RIFF", 4);
    Put32(h.data() + 4, 36 + dataSize);
    std::memcpy(h.data() + 8, "WAVE", 4);
    std::memcpy(h.data() + 12, "fmt ", 4);
    Put32(h.data() + 16, 16);
    Put16(h.data() + 20, static_cast<unsigned>(formatTag));
    Put16(h.data() + 22, ch);
    Put32(h.data() + 24, sampleRate);
    Put32(h.data() + 28, ch * sampleRate * bytesPerSample);
    Put16(h.data() + 32, ch * bytesPerSample);
    Put16(h.data() + 34, static_cast<unsigned>(bits));
    std::memcpy(h.data() + 36, "data", 4);
    Put32(h.data() + 40, dataSize);
    return h;
}

std::optional<WaveInfo> ParseWave(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
        return std::nullopt;
    }
    WaveInfo info;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        std::string_view id = bytes.substr(at, 4);
        std::size_t size = Get32(bytes, at + 4);
        std::size_t body = at + 8;
        std::size_t room = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > room) {
                return std::nullopt;
            }
            unsigned tag = Get16(bytes, body);
            if (tag == WaveFormatExtensible && size >= 26) {
                tag = Get16(bytes, body + 24);
            }
            info.formatTag = static_cast<int>(tag);
            info.channels = static_cast<int>(Get16(bytes, body + 2));
            info.rate = static_cast<int>(Get32(bytes, body + 4));
            info.blockAlign = static_cast<int>(Get16(bytes, body + 12));
            info.bits = static_cast<int>(Get16(bytes, body + 14));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                return std::nullopt;
            }
            info.dataOffset = body;
            info.dataSize = (size == 0 || size > room) ? room : size;
            break;
        }
        // Chunks are padded to an even length.
        if (size > room) {
            return std::nullopt;
        }
        at = body + size + (size & 1u);
    }
    if (!haveFormat || info.dataOffset == 0) {
        return std::nullopt;
    }
    bool pcm = info.formatTag == WaveFormatPcm &&
               (info.bits == 8 || info.bits == 16 || info.bits == 24 || info.bits == 32);
    bool flt = info.formatTag == WaveFormatFloat && info.bits == 32;
    if ((!pcm && !flt) || info.channels < 1 || info.rate < 1 ||
        info.blockAlign != info.channels * info.bits / 8) {
        return std::nullopt;
    }
    // A trailing partial frame cannot be played.
    info.dataSize -= info.dataSize % static_cast<std::size_t>(info.blockAlign);
    return info;
}

std::int64_t WavePlayLimitMs(const WaveInfo& info, std::int64_t capMs) {
    const auto frameBytes = static_cast<std::int64_t>(std::max(1, info.blockAlign));
    const auto bytesPerSecond = frameBytes * SlowestSaneRate;
    const auto dataBytes = static_cast<std::int64_t>(info.dataSize);
    // Rounded up, so that the last partial second still gets its time.
    const std::int64_t needed = (dataBytes * 1000 + bytesPerSecond - 1) / bytesPerSecond;
    const std::int64_t limit = needed + PlayGraceMs;
    return capMs > 0 ? std::min(limit, capMs) : limit;
}

Status FinishWaveSizes(const std::string& path) {
    return RewriteHeader(path, true, 0, 0, 0, 0);
}

Status FinishWaveFile(const std::string& path, int channels, int bits, int rate, int formatTag) {
    return RewriteHeader(path, false, channels, bits, rate, formatTag);
}

} // namespace core
