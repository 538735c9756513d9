// Figures for the pronunciation score, with stand-in speakers: the flite voices kal, awb, rms
// and slt and eSpeak NG say the same 200 words of the 中考 bank.
//   build/bench/pronunciation_bench [program folder] [cache folder]
// (defaults: the built data folder and build/bench/voices; needs flite, espeak-ng and sox.)
// Prints:
//   - the time to score a 2-second recording (44.1 kHz stereo, as the program records) against
//     a model sound file: both analysed and aligned, median and worst of 100 runs;
//   - the share of pairs in which the same word by another voice scores higher than a
//     different word by the same voice (each model word and voice against each other voice);
//   - the highest score of silence and noise, the lowest score of a recording against itself,
//     and the scores of recordings time-stretched by ±20% (sox tempo, pitch kept).
// The speakers' sound files are made once and kept in the cache folder (about a minute).
#include "core/pcmwave.h"
#include "core/pronunciationscore.h"
#include "core/textfile.h"
#include "core/voiceanalysis.h"
#include "core/wordentry.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int WordCount = 200;
const std::vector<std::string> Voices = {"kal", "awb", "rms", "slt", "espeak"};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

/// The words: every few entries of the 中考 bank (found through the catalogue), single words
/// of letters only, so that all five voices say the same thing.
std::vector<std::string> BankWords(const std::string& appDir) {
    std::vector<std::string> catalogue;
    if (!core::ReadTextLines(appDir + "Ebook.txt", catalogue)) {
        std::fprintf(stderr, "cannot read %sEbook.txt\n", appDir.c_str());
        return {};
    }
    std::string bank;
    for (const std::string& name : catalogue) {
        if (core::Trim(name).rfind("中考", 0) == 0) {
            bank = core::Trim(name);
        }
    }
    std::vector<std::string> lines;
    if (bank.empty() || !core::ReadTextLines(appDir + "Worddata/" + bank + ".dst", lines)) {
        std::fprintf(stderr, "cannot read the 中考 bank\n");
        return {};
    }
    std::vector<std::string> candidates;
    std::set<std::string> seen;
    for (const std::string& line : lines) {
        std::string word = core::Trim(core::EntryWord(line));
        bool letters = word.size() >= 2 && std::all_of(word.begin(), word.end(), [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
                       });
        if (letters && seen.insert(core::FoldCase(word)).second) {
            candidates.push_back(word);
        }
    }
    std::vector<std::string> words;
    const std::size_t stride = std::max<std::size_t>(1, candidates.size() / WordCount);
    for (std::size_t i = 0; i < candidates.size() && words.size() < WordCount; i += stride) {
        words.push_back(candidates[i]);
    }
    return words;
}

std::string SpeakerFile(const fs::path& cache, const std::string& voice, const std::string& word,
                        const std::string& suffix = "") {
    return (cache / (voice + "-" + word + suffix + ".wav")).string();
}

bool MakeSpeakerFile(const std::string& voice, const std::string& word, const std::string& path) {
    if (fs::exists(path)) {
        return true;
    }
    if (voice == "espeak") {
        return Run("espeak-ng -v en-us -w " + Quote(path) + " " + Quote(word));
    }
    return Run("flite -voice " + voice + " -t " + Quote(word) + " -o " + Quote(path));
}

bool MakeStretched(const std::string& from, double tempo, const std::string& path) {
    if (fs::exists(path)) {
        return true;
    }
    char factor[32];
    std::snprintf(factor, sizeof factor, "%.4f", tempo);
    return Run("sox " + Quote(from) + " " + Quote(path) + " tempo -s " + factor);
}

core::PcmSound Read(const std::string& path) {
    core::PcmSound sound;
    if (!core::ReadPcmWave(path, sound)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
    }
    return sound;
}

/// sound at 44.1 kHz stereo, 2 s long, starting after 0.3 s of quiet room noise: a recording
/// as the program makes it.
core::PcmSound AsRecording(const core::PcmSound& sound) {
    std::vector<float> mono = core::MonoAtRate(sound, 44100);
    core::PcmSound recording;
    recording.rate = 44100;
    recording.channels = 2;
    std::mt19937 random(7);
    std::normal_distribution<float> hiss(0.0f, 30.0f);
    const std::size_t frames = 2 * 44100;
    const std::size_t start = 44100 * 3 / 10;
    for (std::size_t f = 0; f < frames; ++f) {
        float v = hiss(random);
        if (f >= start && f - start < mono.size()) {
            v += mono[f - start] * 32767.0f;
        }
        auto s = static_cast<std::int16_t>(std::clamp(v, -32768.0f, 32767.0f));
        recording.samples.push_back(s);
        recording.samples.push_back(s);
    }
    return recording;
}

enum class Noise { Silence, Hiss, White, Brown, Hum, Burst };

core::PcmSound NoiseRecording(Noise kind) {
    core::PcmSound sound;
    sound.rate = 44100;
    sound.channels = 2;
    std::mt19937 random(11);
    std::normal_distribution<double> normal(0.0, 1.0);
    double brown = 0;
    for (int f = 0; f < 2 * 44100; ++f) {
        double v = 0;
        switch (kind) {
        case Noise::Silence:
            break;
        case Noise::Hiss:
            v = 30 * normal(random);
            break;
        case Noise::White:
            v = 3000 * normal(random);
            break;
        case Noise::Brown:
            brown = 0.995 * brown + 300 * normal(random);
            v = brown;
            break;
        case Noise::Hum:
            v = 3000 * std::sin(2 * M_PI * 50 * f / 44100.0) + 1000 * normal(random);
            break;
        case Noise::Burst:
            // Half a second of breath-like noise, as long as a short word.
            v = (f > 44100 / 2 && f < 44100) ? 3000 * normal(random) : 30 * normal(random);
            break;
        }
        auto s = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        sound.samples.push_back(s);
        sound.samples.push_back(s);
    }
    return sound;
}

struct Summary {
    double min = HUGE_VAL, max = -HUGE_VAL, sum = 0;
    int count = 0, above = 0;
    void Add(double v, double bound) {
        min = std::min(min, v);
        max = std::max(max, v);
        sum += v;
        ++count;
        above += v > bound ? 1 : 0;
    }
    double Mean() const { return count > 0 ? sum / count : 0; }
};

} // namespace

int main(int argc, char** argv) {
    std::string appDir = argc > 1 ? argv[1] : LJT_BENCH_DATA;
    if (!appDir.empty() && appDir.back() != '/') {
        appDir += '/';
    }
    const fs::path cache = argc > 2 ? fs::path(argv[2]) : fs::path(LJT_BENCH_CACHE);
    fs::create_directories(cache);

    const std::vector<std::string> words = BankWords(appDir);
    if (words.size() < WordCount) {
        std::fprintf(stderr, "only %zu words found\n", words.size());
        return 1;
    }

    // (a) Time to score a 2-second recording against its model.
    {
        std::string modelFile;
        std::vector<std::string> index;
        core::PcmSound model;
        // A word of the sound folder as the model, as the recording window uses it.
        for (const std::string& word : words) {
            const std::string path = appDir + "br/" + word.substr(0, 1) + "/" + word + ".wav";
            if (fs::exists(path)) {
                modelFile = path;
                break;
            }
        }
        if (modelFile.empty()) {
            std::fprintf(stderr, "no word of the sound folder found\n");
            return 1;
        }
        model = Read(modelFile);
        const core::PcmSound recording = AsRecording(model);
        // The first analysis also loads aubio; the windows analyse the model when the word is
        // shown, so a recording never waits for that.
        const auto loading = Clock::now();
        (void)core::AnalyseVoice(model);
        std::printf("first analysis of the run (aubio loaded): %.2f ms\n",
                    Ms(Clock::now() - loading));
        std::vector<double> times;
        double score = 0;
        for (int run = 0; run < 100; ++run) {
            const auto start = Clock::now();
            const core::VoiceComparison c =
                core::CompareVoices(core::AnalyseVoice(model), core::AnalyseVoice(recording));
            times.push_back(Ms(Clock::now() - start));
            score = c.score;
        }
        std::sort(times.begin(), times.end());
        std::printf("score a 2 s recording against its model (%s): median %.2f ms, worst %.2f ms "
                    "(goal <= 20 ms); score %.1f\n",
                    fs::path(modelFile).filename().c_str(), times[times.size() / 2], times.back(),
                    score);
    }

    // The speakers' files.
    std::printf("making the speakers' files in %s ...\n", cache.c_str());
    std::fflush(stdout);
    std::map<std::pair<std::string, std::string>, core::VoiceAnalysis> analysis;
    for (const std::string& voice : Voices) {
        for (const std::string& word : words) {
            const std::string path = SpeakerFile(cache, voice, word);
            if (!MakeSpeakerFile(voice, word, path)) {
                std::fprintf(stderr, "%s cannot say %s\n", voice.c_str(), word.c_str());
                return 1;
            }
            analysis[{voice, word}] = core::AnalyseVoice(Read(path));
        }
    }

    // (b) Same word by another voice against a different word by the same voice.
    int pairs = 0, wins = 0, ties = 0;
    Summary same, different, sameCost, differentCost;
    for (std::size_t w = 0; w < words.size(); ++w) {
        int k = 0;
        for (const std::string& modelVoice : Voices) {
            for (const std::string& otherVoice : Voices) {
                if (otherVoice == modelVoice) {
                    continue;
                }
                // A different word for each pair, taken across the whole list.
                const std::string& otherWord =
                    words[(w + 1 + 37 * static_cast<std::size_t>(k++)) % words.size()];
                const core::VoiceAnalysis& model = analysis[{modelVoice, words[w]}];
                const core::VoiceComparison sc =
                    core::CompareVoices(model, analysis[{otherVoice, words[w]}]);
                const core::VoiceComparison dc =
                    core::CompareVoices(model, analysis[{modelVoice, otherWord}]);
                const double s = sc.score;
                const double d = dc.score;
                sameCost.Add(sc.cost, 0);
                differentCost.Add(dc.cost, 0);
                same.Add(s, core::CloseScore);
                different.Add(d, core::CloseScore);
                ++pairs;
                wins += s > d ? 1 : 0;
                ties += s == d ? 1 : 0;
            }
        }
    }
    std::printf("same word/other voice scores higher than other word/same voice: %d of %d pairs "
                "= %.1f%% (goal >= 90%%; %d ties)\n",
                wins, pairs, 100.0 * wins / pairs, ties);
    std::printf("  same word, other voice: mean %.1f, min %.1f, max %.1f; %.1f%% at least "
                "\"接近\" (%.0f)\n",
                same.Mean(), same.min, same.max, 100.0 * same.above / same.count, core::CloseScore);
    std::printf("  other word, same voice: mean %.1f, min %.1f, max %.1f; %.1f%% at least "
                "\"接近\"\n",
                different.Mean(), different.min, different.max,
                100.0 * different.above / different.count);
    std::printf("  alignment cost: same word %.3f (%.3f..%.3f), other word %.3f (%.3f..%.3f)\n",
                sameCost.Mean(), sameCost.min, sameCost.max, differentCost.Mean(),
                differentCost.min, differentCost.max);

    // Silence and noise against every model.
    const struct {
        Noise kind;
        const char* name;
    } noises[] = {{Noise::Silence, "silence"},
                  {Noise::Hiss, "room hiss (-60 dB)"},
                  {Noise::White, "white noise (-21 dB)"},
                  {Noise::Brown, "rumble (brown noise)"},
                  {Noise::Hum, "50 Hz hum with noise"},
                  {Noise::Burst, "0.5 s burst of noise"}};
    for (const auto& noise : noises) {
        const core::VoiceAnalysis heard = core::AnalyseVoice(NoiseRecording(noise.kind));
        Summary s, cost;
        for (const auto& [key, model] : analysis) {
            const core::VoiceComparison c = core::CompareVoices(model, heard);
            s.Add(c.score, 20);
            cost.Add(c.cost, 0);
        }
        if (std::isinf(cost.min)) {
            std::printf("%-22s score %.1f: no speech found (goal < 20)\n", noise.name, s.max);
        } else {
            std::printf("%-22s highest score %.1f, mean %.1f (goal < 20); lowest cost %.3f\n",
                        noise.name, s.max, s.Mean(), cost.min);
        }
    }

    // Self and time-stretched, on every fourth word of every voice.
    Summary self, recorded, faster, slower, stretchCost;
    for (std::size_t w = 0; w < words.size(); w += 4) {
        for (const std::string& voice : Voices) {
            const std::string path = SpeakerFile(cache, voice, words[w]);
            const core::VoiceAnalysis& model = analysis[{voice, words[w]}];
            self.Add(core::CompareVoices(model, core::AnalyseVoice(Read(path))).score, 99.999);
            recorded.Add(
                core::CompareVoices(model, core::AnalyseVoice(AsRecording(Read(path)))).score,
                99.999);
            const std::string fast = SpeakerFile(cache, voice, words[w], "-fast");
            const std::string slow = SpeakerFile(cache, voice, words[w], "-slow");
            if (!MakeStretched(path, 1.2, fast) || !MakeStretched(path, 1.0 / 1.2, slow)) {
                std::fprintf(stderr, "sox cannot stretch %s\n", path.c_str());
                return 1;
            }
            const core::VoiceComparison f =
                core::CompareVoices(model, core::AnalyseVoice(Read(fast)));
            const core::VoiceComparison s =
                core::CompareVoices(model, core::AnalyseVoice(Read(slow)));
            faster.Add(f.score, 85);
            slower.Add(s.score, 85);
            stretchCost.Add(std::max(f.cost, s.cost), 0);
        }
    }
    std::printf("self (the file analysed again): lowest %.2f, %d of %d exactly 100 (goal 100)\n",
                self.min, self.above, self.count);
    std::printf("self recorded (44.1 kHz stereo, after 0.3 s of room hiss): lowest %.2f, mean "
                "%.2f\n",
                recorded.min, recorded.Mean());
    std::printf("20%% faster: lowest %.1f, mean %.1f, %d of %d above 85\n", faster.min,
                faster.Mean(), faster.above, faster.count);
    std::printf("20%% slower: lowest %.1f, mean %.1f, %d of %d above 85\n", slower.min,
                slower.Mean(), slower.above, slower.count);
    std::printf("  alignment cost of the stretched: mean %.3f, highest %.3f\n", stretchCost.Mean(),
                stretchCost.max);
    return 0;
}
