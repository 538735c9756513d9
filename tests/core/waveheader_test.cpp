// The 44-byte wave header, reading wave files, and finishing a recording's sizes.
#include "core/waveheader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list) {
        out.push_back(static_cast<char>(b));
    }
    return out;
}

std::string AsString(const std::array<std::uint8_t, core::WaveHeaderSize>& h) {
    return std::string(reinterpret_cast<const char*>(h.data()), h.size());
}

TEST(WaveHeader, RecordingFormatIsTheExact44Bytes) {
    std::string expected = "RIFF" + Bytes({36, 0, 0, 0}) + "WAVE" + "fmt " + Bytes({16, 0, 0, 0}) +
                           Bytes({1, 0}) + Bytes({2, 0}) + Bytes({0x44, 0xAC, 0, 0}) + // 44100
                           Bytes({0x10, 0xB1, 0x02, 0}) +                              // 176400
                           Bytes({4, 0}) + Bytes({16, 0}) + "data" + Bytes({0, 0, 0, 0});
    ASSERT_EQ(expected.size(), 44u);
    EXPECT_EQ(AsString(core::WaveHeader(2, 16, 44100)), expected);
}

struct FormatCase {
    int channels, bits, rate;
    std::uint32_t byteRate;
    unsigned blockAlign;
};

class WaveHeaderFormats : public ::testing::TestWithParam<FormatCase> {};

std::uint32_t Le32(const std::string& s, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}
unsigned Le16(const std::string& s, std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(s[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(s[at + 1])) << 8;
}

TEST_P(WaveHeaderFormats, RatesAndBlockSizes) {
    const auto& c = GetParam();
    std::string h = AsString(core::WaveHeader(c.channels, c.bits, c.rate));
    EXPECT_EQ(Le16(h, 22), static_cast<unsigned>(c.channels));
    EXPECT_EQ(Le32(h, 24), static_cast<std::uint32_t>(c.rate));
    EXPECT_EQ(Le32(h, 28), c.byteRate);
    EXPECT_EQ(Le16(h, 32), c.blockAlign);
    EXPECT_EQ(Le16(h, 34), static_cast<unsigned>(c.bits));
}

INSTANTIATE_TEST_SUITE_P(Formats, WaveHeaderFormats,
                         ::testing::Values(FormatCase{2, 16, 44100, 176400, 4},
                                           FormatCase{1, 8, 22050, 22050, 1},
                                           FormatCase{1, 16, 8000, 16000, 2},
                                           FormatCase{2, 24, 48000, 288000, 6},
                                           // 12-bit samples still take two whole bytes.
                                           FormatCase{1, 12, 8000, 16000, 2}));

TEST(WaveHeader, DataSizeGoesIntoBothSizeFields) {
    std::string h = AsString(core::WaveHeader(2, 16, 44100, 176400));
    EXPECT_EQ(Le32(h, 4), 36u + 176400u);
    EXPECT_EQ(Le32(h, 40), 176400u);
}

std::string Chunk(const std::string& id, const std::string& body) {
    std::string out = id;
    auto n = static_cast<std::uint32_t>(body.size());
    out += Bytes({static_cast<int>(n & 0xFF), static_cast<int>((n >> 8) & 0xFF),
                  static_cast<int>((n >> 16) & 0xFF), static_cast<int>(n >> 24)});
    out += body;
    if (body.size() % 2 == 1) {
        out.push_back('\0');
    }
    return out;
}

std::string Riff(const std::string& chunks) {
    std::string body = "WAVE" + chunks;
    return Chunk("RIFF", body);
}

std::string Fmt(int tag, int channels, int rate, int bits) {
    std::string h = AsString(core::WaveHeader(channels, bits, rate, 0, tag));
    return h.substr(12, 24); // "fmt " chunk of the canonical header
}

TEST(ParseWave, CanonicalFileAfterRecording) {
    std::string samples(400, 'x');
    std::string file = AsString(core::WaveHeader(2, 16, 44100, 400)) + samples;
    auto info = core::ParseWave(file);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->rate, 44100);
    EXPECT_EQ(info->bits, 16);
    EXPECT_EQ(info->formatTag, core::WaveFormatPcm);
    EXPECT_EQ(info->dataOffset, 44u);
    EXPECT_EQ(info->dataSize, 400u);
}

struct ParseCase {
    const char* name;
    std::string bytes;
    bool ok;
    std::size_t dataOffset;
    std::size_t dataSize;
};

class ParseWaveFiles : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseWaveFiles, FindsTheSamplesOrRefuses) {
    const auto& c = GetParam();
    auto info = core::ParseWave(c.bytes);
    ASSERT_EQ(info.has_value(), c.ok) << c.name;
    if (c.ok) {
        EXPECT_EQ(info->dataOffset, c.dataOffset) << c.name;
        EXPECT_EQ(info->dataSize, c.dataSize) << c.name;
    }
}

const std::string kFmt = Fmt(1, 1, 8000, 16);
const std::string kData10 = Chunk("data", std::string(10, 'd'));

INSTANTIATE_TEST_SUITE_P(
    Files, ParseWaveFiles,
    ::testing::Values(
        ParseCase{"plain", Riff(kFmt + kData10), true, 44, 10},
        // A list chunk of odd length before the samples: skipped with its pad byte.
        ParseCase{"list first", Riff(kFmt + Chunk("LIST", "abc") + kData10), true, 56, 10},
        // An unfinished recording (sizes still 0): the samples run to the end of the file.
        ParseCase{"unfinished", AsString(core::WaveHeader(1, 16, 8000)) + std::string(20, 's'),
                  true, 44, 20},
        // A data size beyond the file is held to what is there.
        ParseCase{"truncated", AsString(core::WaveHeader(1, 16, 8000, 1000)) +
                                   std::string(30, 's'),
                  true, 44, 30},
        // A partial last frame cannot be played.
        ParseCase{"odd bytes", AsString(core::WaveHeader(1, 16, 8000, 7)) + std::string(7, 's'),
                  true, 44, 6},
        ParseCase{"float", Riff(Fmt(3, 2, 44100, 32) + kData10), true, 44, 8},
        ParseCase{"not riff", "RIFX" + Riff(kFmt + kData10).substr(4), false, 0, 0},
        ParseCase{"not wave", Chunk("RIFF", "AVI " + kFmt + kData10), false, 0, 0},
        ParseCase{"compressed", Riff(Fmt(2, 1, 8000, 16) + kData10), false, 0, 0},
        ParseCase{"data before fmt", Riff(kData10 + kFmt), false, 0, 0},
        ParseCase{"no data", Riff(kFmt), false, 0, 0},
        ParseCase{"short fmt", Riff(Chunk("fmt ", std::string(8, '\0')) + kData10), false, 0, 0},
        ParseCase{"empty", std::string(), false, 0, 0},
        ParseCase{"bad block size",
                  [] {
                      std::string f = Riff(kFmt + kData10);
                      f[32] = 3; // block align 3 for one 16-bit channel
                      return f;
                  }(),
                  false, 0, 0}));

class TempFile {
public:
    TempFile() {
        std::random_device rd;
        path_ = (std::filesystem::temp_directory_path() /
                 ("ljt-wave-" + std::to_string(rd()) + std::to_string(rd()) + ".wav"))
                    .string();
    }
    ~TempFile() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }
    void Write(const std::string& bytes) const {
        FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string Read() const {
        std::string out;
        FILE* f = std::fopen(path_.c_str(), "rb");
        if (f == nullptr) {
            return out;
        }
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
            out.append(buf, n);
        }
        std::fclose(f);
        return out;
    }

private:
    std::string path_;
};

TEST(FinishWaveSizes, SizesMatchTheBytesAfterTheHeader) {
    TempFile file;
    std::string samples(1000, '\x11');
    file.Write(AsString(core::WaveHeader(2, 16, 44100)) + samples);
    ASSERT_TRUE(core::FinishWaveSizes(file.path()));
    std::string after = file.Read();
    ASSERT_EQ(after.size(), 1044u);
    EXPECT_EQ(Le32(after, 4), 1036u);
    EXPECT_EQ(Le32(after, 40), 1000u);
    // Everything else is left as it was.
    EXPECT_EQ(after.substr(0, 4), "RIFF");
    EXPECT_EQ(after.substr(8, 32), AsString(core::WaveHeader(2, 16, 44100)).substr(8, 32));
    EXPECT_EQ(after.substr(44), samples);
}

TEST(FinishWaveSizes, HeaderOnlyFileGetsEmptySizes) {
    TempFile file;
    file.Write(AsString(core::WaveHeader(2, 16, 44100, 5000)));
    ASSERT_TRUE(core::FinishWaveSizes(file.path()));
    std::string after = file.Read();
    EXPECT_EQ(Le32(after, 4), 36u);
    EXPECT_EQ(Le32(after, 40), 0u);
}

TEST(FinishWaveSizes, FailuresNameTheFileAndLeaveItAlone) {
    TempFile missing;
    core::Status s = core::FinishWaveSizes(missing.path());
    EXPECT_FALSE(s);
    EXPECT_EQ(s.file, missing.path());
    EXPECT_NE(s.file.find(missing.path()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(missing.path()));

    TempFile shortFile;
    shortFile.Write("RIFF");
    EXPECT_FALSE(core::FinishWaveSizes(shortFile.path()));
    EXPECT_EQ(shortFile.Read(), "RIFF");

    TempFile notWave;
    std::string text(60, 'a');
    notWave.Write(text);
    EXPECT_FALSE(core::FinishWaveSizes(notWave.path()));
    EXPECT_EQ(notWave.Read(), text);
}

TEST(FinishWaveFile, RewritesTheFormatTheDeviceRecordedIn) {
    TempFile file;
    file.Write(AsString(core::WaveHeader(2, 16, 44100)) + std::string(800, '\0'));
    ASSERT_TRUE(core::FinishWaveFile(file.path(), 1, 32, 48000, core::WaveFormatFloat));
    std::string after = file.Read();
    EXPECT_EQ(after.substr(0, 44),
              AsString(core::WaveHeader(1, 32, 48000, 800, core::WaveFormatFloat)));
    auto info = core::ParseWave(after);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->formatTag, core::WaveFormatFloat);
    EXPECT_EQ(info->dataSize, 800u);
}

TEST(WavePlayLimit, SamplesAtTheSlowestSaneRatePlusGraceAndNeverMoreThanTheCap) {
    struct Case {
        const char* name;
        int rate;
        int blockAlign;
        std::size_t dataSize;
        std::int64_t cap;
        std::int64_t limit;
    };
    const Case cases[] = {
        // One second of CD sound needs 1 s; at 8000 frames a second its bytes last 5.5 s.
        {"cd second", 44100, 4, 176400, 0, 5513 + 1000},
        {"cd second capped", 44100, 4, 176400, 15000, 6513},
        // A header that says 1 Hz does not buy hours: the bytes count, not the stated rate.
        {"lying 1 Hz", 1, 2, 20000, 15000, 1250 + 1000},
        {"lying 1 Hz long", 1, 2, 2000000, 15000, 15000},
        {"lying 1 Hz uncapped", 1, 2, 2000000, 0, 125000 + 1000},
        {"8-bit mono", 8000, 1, 8000, 15000, 2000},
        {"empty data", 22050, 2, 0, 15000, 1000},
        {"partial second rounds up", 8000, 1, 1, 0, 1001},
    };
    for (const Case& c : cases) {
        core::WaveInfo info;
        info.rate = c.rate;
        info.blockAlign = c.blockAlign;
        info.dataSize = c.dataSize;
        EXPECT_EQ(core::WavePlayLimitMs(info, c.cap), c.limit) << c.name;
    }
}

} // namespace
