#include "voiceadaptation.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace sound {

namespace {

/// Reads the 32-bit numbers of a sendump in the byte order it was written in: its first
/// number is a string's length, far below 65536 either way round, which tells the order.
class SendumpReader {
public:
    explicit SendumpReader(std::string bytes) : bytes_(std::move(bytes)) {}

    bool Number(std::uint32_t& value) {
        if (bytes_.size() - at_ < 4) {
            return false;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte =
                static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at_ + i]));
            v |= swapped_ ? byte << (8 * (3 - i)) : byte << (8 * i);
        }
        at_ += 4;
        value = v;
        return true;
    }

    /// A length and that many bytes (the last a NUL); false at the zero length that ends the
    /// header, or at the end of the file.
    bool Text(std::string& text) {
        std::uint32_t length = 0;
        if (!decided_) {
            decided_ = true;
            if (!Number(length)) {
                return false;
            }
            if (length > 65536) {
                swapped_ = true;
                at_ -= 4;
                (void)Number(length);
            }
        } else if (!Number(length)) {
            return false;
        }
        if (length == 0 || length > bytes_.size() - at_) {
            return false;
        }
        text.assign(bytes_, at_, length - 1);
        at_ += length;
        return true;
    }

    /// The next n bytes, or nullptr past the end.
    const unsigned char* Bytes(std::size_t n) {
        if (bytes_.size() - at_ < n) {
            return nullptr;
        }
        const auto* data = reinterpret_cast<const unsigned char*>(bytes_.data() + at_);
        at_ += n;
        return data;
    }

private:
    std::string bytes_;
    std::size_t at_ = 0;
    bool swapped_ = false;
    bool decided_ = false;
};

/// The number after key in a header line "key n", or -1.
long HeaderValue(const std::string& line, const char* key) {
    const std::size_t length = std::strlen(key);
    if (line.compare(0, length, key) != 0 || line.size() <= length || line[length] != ' ') {
        return -1;
    }
    char* end = nullptr;
    const long value = std::strtol(line.c_str() + length + 1, &end, 10);
    return end != line.c_str() + length + 1 && value >= 0 ? value : -1;
}

} // namespace

bool WriteMixtureWeights(const std::string& sendump, const std::string& out) {
    std::ifstream in(sendump, std::ios::binary);
    if (!in) {
        return false;
    }
    SendumpReader reader(std::string(std::istreambuf_iterator<char>(in), {}));
    std::string line;
    if (!reader.Text(line)) { // the title
        return false;
    }
    long senones = 0, densities = 0, features = 0, clusters = 0, shift = 10;
    while (reader.Text(line)) {
        for (auto [key, into] :
             {std::pair{"mixture_count", &senones}, std::pair{"model_count", &densities},
              std::pair{"feature_count", &features}, std::pair{"cluster_count", &clusters},
              std::pair{"mixw_shift", &shift}}) {
            if (const long v = HeaderValue(line, key); v >= 0) {
                *into = v;
            }
        }
    }
    if (clusters == 0) {
        // Unclustered: the counts follow the header as numbers.
        std::uint32_t d = 0, s = 0;
        if (!reader.Number(d) || !reader.Number(s)) {
            return false;
        }
        densities = d;
        senones = s;
    }
    // Bounds of any model a desktop program reads, and of the 32-bit sizes written below.
    if (senones <= 0 || senones > 1'000'000 || densities <= 0 || densities > 4096 ||
        features <= 0 || features > 8 || shift < 0 || shift > 20) {
        return false;
    }
    const auto n = static_cast<std::size_t>(senones);
    const auto m = static_cast<std::size_t>(densities);
    const auto f = static_cast<std::size_t>(features);
    std::vector<float> weights(n * f * m);
    // Stored density by density for every senone; written senone by senone.
    for (std::size_t feature = 0; feature < f; ++feature) {
        for (std::size_t density = 0; density < m; ++density) {
            const unsigned char* row = reader.Bytes(n);
            if (row == nullptr) {
                return false;
            }
            for (std::size_t senone = 0; senone < n; ++senone) {
                const double logWeight = static_cast<double>(row[senone] << shift);
                weights[(senone * f + feature) * m + density] =
                    static_cast<float>(std::pow(1.0001, -logWeight));
            }
        }
    }
    std::string header = "s3\nversion 1.0\n";
    const std::size_t endLength = std::strlen("endhdr\n");
    if (const std::size_t rest = (header.size() + endLength) % 4; rest != 0) {
        header.append(4 - rest, ' ');
    }
    header += "endhdr\n";
    const std::uint32_t numbers[] = {0x11223344u, static_cast<std::uint32_t>(n),
                                     static_cast<std::uint32_t>(f), static_cast<std::uint32_t>(m),
                                     static_cast<std::uint32_t>(weights.size())};
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(header.data(), static_cast<std::streamsize>(header.size()));
    file.write(reinterpret_cast<const char*>(numbers), sizeof numbers);
    file.write(reinterpret_cast<const char*>(weights.data()),
               static_cast<std::streamsize>(weights.size() * sizeof(float)));
    file.close();
    if (!file) {
        std::remove(out.c_str());
        return false;
    }
    return true;
}

bool WriteFeatureFile(const std::string& path, const float* values, std::size_t frames,
                      std::size_t width) {
    const std::size_t count = frames * width;
    if (count > 0x7fffffffu) {
        return false;
    }
    // The count of values, then the values, in this machine's byte order (the reader tells the
    // order by the count against the file's length).
    const auto header = static_cast<std::int32_t>(count);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(&header), sizeof header);
    file.write(reinterpret_cast<const char*>(values),
               static_cast<std::streamsize>(count * sizeof(float)));
    file.close();
    return static_cast<bool>(file);
}

bool RunTool(const std::string& program, const std::vector<std::string>& args, int seconds,
             const std::function<bool()>& stop) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline || (stop && stop())) {
            kill(pid, SIGKILL);
            (void)waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ScratchFolder::ScratchFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::string pattern =
        (error ? std::filesystem::path("/tmp") : base) / "langjitong-voice.XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

ScratchFolder::~ScratchFolder() {
    if (!path_.empty()) {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
}

bool AdaptedMeansValid(const std::string& path, const std::string& modelMeans) {
    std::ifstream model(modelMeans, std::ios::binary);
    std::ifstream adapted(path, std::ios::binary);
    const std::string installed(std::istreambuf_iterator<char>(model), {});
    // Read no further than the installed file's size, and one byte more to see a longer one.
    std::string bytes(installed.size() + 1, '\0');
    adapted.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(adapted.gcount()));
    if (installed.empty() || bytes.size() != installed.size()) {
        return false;
    }
    // The header's text, the byte order's mark, the counts of Gaussians, streams and densities,
    // each stream's width and the count of means, then the means (and a checksum).
    const std::size_t text = installed.find("endhdr\n");
    if (text == std::string::npos) {
        return false;
    }
    std::size_t at = text + 7;
    const auto number = [&installed, &at](std::uint32_t& value) {
        if (installed.size() - at < 4) {
            return false;
        }
        std::memcpy(&value, installed.data() + at, 4);
        at += 4;
        return true;
    };
    std::uint32_t mark = 0, gaussians = 0, streams = 0, densities = 0, count = 0;
    if (!number(mark) || mark != 0x11223344u || !number(gaussians) || !number(streams) ||
        !number(densities) || streams > 64) {
        return false; // a model this program does not know: no adaptation for it
    }
    for (std::uint32_t s = 0; s < streams; ++s) {
        std::uint32_t width = 0;
        if (!number(width)) {
            return false;
        }
    }
    if (!number(count) || count > (installed.size() - at) / 4 ||
        bytes.compare(0, at, installed, 0, at) != 0) {
        return false;
    }
    // The checksum, where the header announces one, follows the means; the decoder ends the
    // whole program on a file whose checksum does not hold.
    const bool summed = installed.substr(0, text).find("chksum0 yes") != std::string::npos;
    if (installed.size() != at + 4 * static_cast<std::size_t>(count) + (summed ? 4 : 0)) {
        return false;
    }
    constexpr float Bound = 1e4f; // the model's means stay near a hundred
    for (std::uint32_t i = 0; i < count; ++i) {
        float mean = 0;
        std::memcpy(&mean, bytes.data() + at + 4 * static_cast<std::size_t>(i), 4);
        if (!std::isfinite(mean) || std::abs(mean) > Bound) {
            return false;
        }
    }
    if (summed) {
        // Every 32-bit word after the byte order's mark, each added to the sum turned left by
        // 20 bits.
        std::uint32_t sum = 0;
        const std::size_t end = bytes.size() - 4;
        for (std::size_t i = text + 7 + 4; i < end; i += 4) {
            std::uint32_t word = 0;
            std::memcpy(&word, bytes.data() + i, 4);
            sum = ((sum << 20) | (sum >> 12)) + word;
        }
        std::uint32_t stored = 0;
        std::memcpy(&stored, bytes.data() + end, 4);
        return sum == stored;
    }
    return true;
}

} // namespace sound
