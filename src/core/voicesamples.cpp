#include "voicesamples.h"

#include "learnerfiles.h"
#include "textfile.h"
#include "waveheader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sstream>
#include <sys/stat.h>

namespace core {

namespace {

constexpr std::string_view IndexName = "samples.txt";

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on operator+ with a temporary.
std::string Joined(std::string_view a, std::string_view b, std::string_view c = {}) {
    std::string joined;
    joined.reserve(a.size() + b.size() + c.size());
    joined.append(a).append(b).append(c);
    return joined;
}

std::string SampleFileName(long number) {
    return Joined(std::to_string(number), ".wav");
}

/// A phone of the index: capital letters only, as the model names them.
bool PhoneName(const std::string& text) {
    return !text.empty() && text.size() <= 4 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

} // namespace

std::string LearnerVoiceFolder(const std::string& dataHome, const std::string& learner) {
    return learner.empty() || !CheckLearnerName(learner)
               ? std::string()
               : Joined(LearnerFolderPath(dataHome, learner), VoiceFolderName, "/");
}

std::string EncodePcmWave(const PcmSound& sound) {
    const std::size_t bytes = sound.samples.size() * sizeof(std::int16_t);
    const auto header =
        WaveHeader(sound.channels, 16, sound.rate, static_cast<std::uint32_t>(bytes));
    std::string out(header.begin(), header.end());
    out.reserve(out.size() + bytes);
    for (const std::int16_t sample : sound.samples) {
        const auto v = static_cast<std::uint16_t>(sample);
        out += static_cast<char>(v & 0xff);
        out += static_cast<char>(v >> 8);
    }
    return out;
}

VoiceSamples::VoiceSamples(std::string folder, VoiceAdaptationPlan plan)
    : folder_(std::move(folder)), plan_(plan) {
}

std::string VoiceSamples::AdaptationPath() const {
    return Joined(folder_, VoiceAdaptationName);
}

void VoiceSamples::Load() const {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    adapted_ = 0;
    samples_.clear();
    std::string text;
    if (!ReadFileBytes(Joined(folder_, IndexName), text)) {
        return;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first;
        if (!(words >> first)) {
            continue;
        }
        char* end = nullptr;
        if (first == "adapted") {
            std::string n;
            if (words >> n) {
                const long value = std::strtol(n.c_str(), &end, 10);
                adapted_ = *end == '\0' && value > 0 ? value : 0;
            }
            continue;
        }
        const long number = std::strtol(first.c_str(), &end, 10);
        if (*end != '\0' || number <= 0 ||
            (!samples_.empty() && number <= samples_.back().number)) {
            continue; // not a line this program wrote
        }
        VoiceSampleFile sample;
        sample.number = number;
        sample.path = Joined(folder_, SampleFileName(number));
        std::string phone;
        bool good = true;
        while (words >> phone) {
            good = good && PhoneName(phone);
            sample.phones.push_back(phone);
        }
        if (good && !sample.phones.empty()) {
            samples_.push_back(std::move(sample));
        }
    }
}

Status VoiceSamples::Save() const {
    std::string text = Joined("adapted ", std::to_string(adapted_), "\n");
    for (const VoiceSampleFile& sample : samples_) {
        text += std::to_string(sample.number);
        for (const std::string& phone : sample.phones) {
            text += ' ' + phone;
        }
        text += '\n';
    }
    // A scratch index, rewritten at every recording kept: the samples are no study record.
    return WriteFileAtomic(Joined(folder_, IndexName), text, false);
}

Status VoiceSamples::Add(const std::vector<std::string>& phones, const PcmSound& recording) {
    if (phones.empty() || recording.samples.empty() || recording.channels != 1 ||
        !std::all_of(phones.begin(), phones.end(), PhoneName)) {
        return Status::Ok();
    }
    Load();
    if (::mkdir(folder_.c_str(), 0755) != 0 && errno != EEXIST) {
        return Status::File(Failure::CreateFolder, folder_, errno);
    }
    const long number = samples_.empty() ? adapted_ + 1 : samples_.back().number + 1;
    VoiceSampleFile sample{number, phones, Joined(folder_, SampleFileName(number))};
    if (Status written = WriteFileAtomic(sample.path, EncodePcmWave(recording), false); !written) {
        return written;
    }
    samples_.push_back(std::move(sample));
    while (samples_.size() > plan_.most) {
        std::remove(samples_.front().path.c_str());
        samples_.erase(samples_.begin());
    }
    return Save();
}

std::vector<VoiceSampleFile> VoiceSamples::Samples() const {
    Load();
    std::vector<VoiceSampleFile> kept;
    for (const VoiceSampleFile& sample : samples_) {
        if (FileExists(sample.path)) {
            kept.push_back(sample);
        }
    }
    return kept;
}

bool VoiceSamples::AdaptationDue() const {
    Load();
    if (samples_.size() < plan_.first) {
        return false;
    }
    const auto fresh =
        std::count_if(samples_.begin(), samples_.end(),
                      [this](const VoiceSampleFile& s) { return s.number > adapted_; });
    return adapted_ == 0 || !FileExists(AdaptationPath()) ||
           static_cast<std::size_t>(fresh) >= plan_.again;
}

Status VoiceSamples::MarkAdapted(long number) {
    Load();
    adapted_ = std::max(adapted_, number);
    return Save();
}

} // namespace core
