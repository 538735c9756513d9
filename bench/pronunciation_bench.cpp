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
//
// Then the score sound by sound (the acoustic model), with stand-in learners: the same words by
// flite and eSpeak NG voices (each scored, as the program does, as every pronunciation of the
// word that the dictionary offers, the best counting), and eSpeak NG renditions from its phoneme
// input with one typical mistake each (θ→s, ð→d, v→w, r→l, l→n, final consonant dropped, a vowel
// after the final consonant, iː→ɪ, æ→e, ʃ→s; a mistake that few of the 200 words allow is made in
// more words of the bank), and the lesson symbols said alone, each scored as itself and as the
// symbols it is often taken for. The voices are split: the constants are measured on the tuning
// voices only, and the held-out voices are reported on their own (the right words also voice by
// voice). "--sounds" runs this part alone; "--tune" also searches the constants on the tuning
// voices; "--adapt" then adapts the model to each voice as the program adapts it to a learner
// (from the voice's words of the even places that the program keeps) and measures the words of
// the odd places, and the mistakes made in them, as installed and adapted; then once more with
// the kept mistaken renditions of the even places among the samples (a learner who makes the
// mistakes), to show whether the model learns them (LJT_BENCH_SAMPLES=n: from n samples at
// most). The decodings are kept in the cache folder, so that a run after the first only scores;
// LJT_BENCH_CASES=file writes the cases and their keys in the decodings' file.
#include "core/pcmwave.h"
#include "core/phoneset.h"
#include "core/pronunciationscore.h"
#include "core/soundscore.h"
#include "core/textfile.h"
#include "core/voiceanalysis.h"
#include "core/wordentry.h"
#include "sound/phonescorer.h"

#include <fstream>
#include <sstream>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int WordCount = 200;
/// Each typical mistake is made in at least this many words where the bank has them.
constexpr int MistakeWords = 25;
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
/// of letters only, so that all five voices say the same thing. The bank's other such words go
/// to rest, when given.
std::vector<std::string> BankWords(const std::string& appDir,
                                   std::vector<std::string>* rest = nullptr) {
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
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (i % stride == 0 && words.size() < WordCount) {
            words.push_back(candidates[i]);
        } else if (rest != nullptr) {
            rest->push_back(candidates[i]);
        }
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

// ---- The score sound by sound -------------------------------------------------------------

struct SoundVoice {
    std::string name;    ///< as the cache files are named
    std::string command; ///< flite voice or eSpeak NG voice
    bool flite;
    bool heldOut;
};

const std::vector<SoundVoice> SoundVoices = {
    {"kal16", "kal16", true, false},
    {"rms", "rms", true, false},
    {"espeak", "en-us", false, false},
    {"awb", "awb", true, true},
    {"slt", "slt", true, true},
    {"espeak-f3", "en-us+f3", false, true},
    {"espeak-gb-m3", "en-gb+m3", false, true},
};

/// The voices that say the mistaken renditions (from phonemes, so eSpeak NG only).
const std::vector<SoundVoice> MistakeVoices = {
    {"espeak", "en-us", false, false},
    {"espeak-f3", "en-us+f3", false, true},
};

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            out += buffer;
        }
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    while (!out.empty() && out.front() == ' ') {
        out.erase(0, 1);
    }
    return out;
}

bool MakeVoiceFile(const SoundVoice& voice, const std::string& text, const std::string& path) {
    if (fs::exists(path)) {
        return true;
    }
    if (voice.flite) {
        return Run("flite -voice " + voice.command + " -t " + Quote(text) + " -o " + Quote(path));
    }
    return Run("espeak-ng -v " + voice.command + " -w " + Quote(path) + " " + Quote(text));
}

/// One typical mistake: its name and how it changes eSpeak NG phonemes; the index (in the
/// phones of the original) of the sound it changes, or -1 when it does not apply.
struct Mistake {
    const char* name;
    std::string (*apply)(const std::string& phonemes, int& changed);
};

/// The mnemonics of a phoneme string, each with the phones it stands for.
std::vector<std::pair<std::string, int>> Mnemonics(const std::string& phonemes) {
    std::vector<std::pair<std::string, int>> pieces;
    std::size_t at = 0;
    while (at < phonemes.size()) {
        const std::size_t best = core::EspeakMnemonicLength(std::string_view(phonemes).substr(at));
        const int phones =
            best == 0 ? 0
                      : static_cast<int>(core::PhonesOfEspeak(phonemes.substr(at, best)).size());
        if (best == 0) {
            pieces.emplace_back(phonemes.substr(at, 1), 0);
            ++at;
        } else {
            pieces.emplace_back(phonemes.substr(at, best), phones);
            at += best;
        }
    }
    return pieces;
}

/// Replaces the first mnemonic from by to; changed is its phone index.
std::string Substitute(const std::string& phonemes, const std::string& from, const std::string& to,
                       int& changed) {
    changed = -1;
    std::string out;
    int index = 0;
    for (const auto& [piece, phones] : Mnemonics(phonemes)) {
        if (changed < 0 && piece == from) {
            changed = index;
            out += to;
        } else {
            out += piece;
        }
        index += phones;
    }
    return out;
}

/// The last phone if it is a consonant: its index, and the text before and after it.
bool FinalConsonant(const std::string& phonemes, int& index, std::string& before,
                    std::string& after) {
    const auto pieces = Mnemonics(phonemes);
    int count = 0;
    int last = -1;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].second > 0) {
            last = static_cast<int>(i);
        }
        count += pieces[i].second;
    }
    if (last < 0 || pieces[static_cast<std::size_t>(last)].second != 1) {
        return false;
    }
    const std::vector<std::string> phone =
        core::PhonesOfEspeak(pieces[static_cast<std::size_t>(last)].first);
    if (core::IsVowelPhone(phone.front()) || phone.front() == "R") {
        return false;
    }
    index = count - 1;
    before.clear();
    after.clear();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        (static_cast<int>(i) < last ? before : after) +=
            static_cast<int>(i) == last ? "" : pieces[i].first;
    }
    return true;
}

const Mistake Mistakes[] = {
    {"θ→s", [](const std::string& p, int& c) { return Substitute(p, "T", "s", c); }},
    {"ð→d", [](const std::string& p, int& c) { return Substitute(p, "D", "d", c); }},
    {"v→w", [](const std::string& p, int& c) { return Substitute(p, "v", "w", c); }},
    {"r→l", [](const std::string& p, int& c) { return Substitute(p, "r", "l", c); }},
    {"l→n", [](const std::string& p, int& c) { return Substitute(p, "l", "n", c); }},
    {"final consonant dropped",
     [](const std::string& p, int& c) {
         std::string before, after;
         if (!FinalConsonant(p, c, before, after)) {
             c = -1;
             return p;
         }
         return before + after;
     }},
    {"vowel after final consonant",
     [](const std::string& p, int& c) {
         std::string before, after;
         if (!FinalConsonant(p, c, before, after)) {
             c = -1;
             return p;
         }
         return p + "@";
     }},
    {"iː→ɪ", [](const std::string& p, int& c) { return Substitute(p, "i:", "I", c); }},
    {"æ→e", [](const std::string& p, int& c) { return Substitute(p, "a", "E", c); }},
    {"ʃ→s", [](const std::string& p, int& c) { return Substitute(p, "S", "s", c); }},
};

/// One scored recording, kept with its decodings so that other constants can be measured.
struct Scored {
    std::vector<std::string> phones;
    std::vector<core::PhoneSegment> aligned, loop, rivals;
    bool heldOut = false;
    bool scored = false;
    std::string key;  ///< its line in the file of decodings
    std::string path; ///< the recording
    /// The same recording scored as the word's other pronunciations.
    std::vector<Scored> others;

    /// As the scorer chooses among pronunciations: the one scored best without the rivals.
    core::SoundScores With(const core::SoundCalibration& c) const {
        const Scored* taken = this;
        if (!others.empty()) {
            double best = core::ScoreSounds(phones, aligned, loop, {}, c).score;
            for (const Scored& other : others) {
                const double score =
                    core::ScoreSounds(other.phones, other.aligned, other.loop, {}, c).score;
                if (score > best) {
                    best = score;
                    taken = &other;
                }
            }
        }
        return core::ScoreSounds(taken->phones, taken->aligned, taken->loop, taken->rivals, c);
    }
};

struct RightWrong {
    Scored right; ///< the word by a voice
    Scored other; ///< another word by the same voice, scored as this word
    std::string word, voice;
};

struct MistakeCase {
    Scored right, wrong;
    int changed = -1;
    int mistake = 0;
    std::string voice, word;
};

/// A lesson symbol said alone, scored as itself, or as a symbol it is often taken for.
struct LessonCase {
    Scored scored;
    bool right = false;
    std::string said, as;
};

struct SoundFigures {
    double rightClose = 0, otherClose = 0, sameBeats = 0, flagged = 0, wronglyFlagged = 0,
           mistakeBelow = 0, lessonRight = 0, lessonRival = 0;
    int rights = 0, others = 0, pairs = 0, mistakes = 0, sounds = 0, lessonRights = 0,
        lessonRivals = 0;
};

SoundFigures Measure(const std::vector<RightWrong>& words, const std::vector<MistakeCase>& mistakes,
                     const std::vector<LessonCase>& lessons, const core::SoundCalibration& c,
                     bool heldOut, int* perMistake = nullptr, int* perMistakeCount = nullptr) {
    SoundFigures f;
    int lessonRight = 0, lessonRival = 0;
    for (const LessonCase& l : lessons) {
        if (l.scored.heldOut != heldOut) {
            continue;
        }
        const bool close = l.scored.With(c).score >= core::CloseScore;
        (l.right ? f.lessonRights : f.lessonRivals) += 1;
        (l.right ? lessonRight : lessonRival) += close ? 1 : 0;
    }
    int close = 0, otherClose = 0, wrongSounds = 0;
    std::vector<double> rightScore(words.size()), otherScore(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        const RightWrong& rw = words[i];
        if (rw.right.heldOut != heldOut) {
            continue;
        }
        const core::SoundScores r = rw.right.With(c);
        const core::SoundScores o = rw.other.With(c);
        rightScore[i] = r.score;
        otherScore[i] = o.score;
        ++f.rights;
        close += r.score >= core::CloseScore ? 1 : 0;
        ++f.others;
        otherClose += o.score >= core::CloseScore ? 1 : 0;
        for (const core::SoundResult& s : r.sounds) {
            ++f.sounds;
            wrongSounds += s.score < core::CloseScore ? 1 : 0;
        }
    }
    // Same word by another voice against another word by the same voice: every right
    // rendition of a word against the other-word rendition of each other voice.
    int wins = 0;
    std::map<std::string, std::vector<std::size_t>> byWord;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i].right.heldOut == heldOut) {
            byWord[words[i].word].push_back(i);
        }
    }
    for (const auto& [word, items] : byWord) {
        for (const std::size_t a : items) {
            for (const std::size_t b : items) {
                if (words[a].voice != words[b].voice) {
                    ++f.pairs;
                    wins += rightScore[b] > otherScore[a] ? 1 : 0;
                }
            }
        }
    }
    int flagged = 0, below = 0;
    for (const MistakeCase& m : mistakes) {
        if (m.wrong.heldOut != heldOut) {
            continue;
        }
        const core::SoundScores w = m.wrong.With(c);
        const core::SoundScores r = m.right.With(c);
        ++f.mistakes;
        const bool hit = w.worst == m.changed &&
                         w.sounds[static_cast<std::size_t>(m.changed)].score < core::CloseScore;
        flagged += hit ? 1 : 0;
        below += w.score < r.score ? 1 : 0;
        if (perMistake != nullptr) {
            perMistake[m.mistake] += hit ? 1 : 0;
            perMistakeCount[m.mistake] += 1;
        }
    }
    const auto share = [](int n, int of) { return of > 0 ? 100.0 * n / of : 0.0; };
    f.rightClose = share(close, f.rights);
    f.otherClose = share(otherClose, f.others);
    f.sameBeats = share(wins, f.pairs);
    f.flagged = share(flagged, f.mistakes);
    f.wronglyFlagged = share(wrongSounds, f.sounds);
    f.mistakeBelow = share(below, f.mistakes);
    f.lessonRight = share(lessonRight, f.lessonRights);
    f.lessonRival = share(lessonRival, f.lessonRivals);
    return f;
}

/// Each phone's gaps in the right renditions of the tuning voices: their middle and their
/// spread above it (a phone heard too seldom takes those of all phones). Printed as the table
/// that core keeps; so are the rivals never put in a phone's place there (unheard).
std::vector<core::PhoneGapNorm> LearnPhoneGaps(const std::vector<RightWrong>& words,
                                               const std::vector<MistakeCase>& mistakes,
                                               std::vector<core::RivalPair>& unheard) {
    core::SoundCalibration raw;
    raw.phoneGaps.clear();
    std::map<std::string, std::vector<double>> gaps, rivalGaps;
    std::map<std::pair<std::string, std::string>, int> placed;
    const auto add = [&](const Scored& s) {
        if (s.heldOut || !s.scored) {
            return;
        }
        for (const core::SoundResult& sound : s.With(raw).sounds) {
            placed[{sound.phone, sound.rival}] += 1;
            gaps[sound.phone].push_back(std::max(0.0, sound.gap));
            gaps[""].push_back(std::max(0.0, sound.gap));
            rivalGaps[sound.phone].push_back(std::max(0.0, sound.rivalGap));
            rivalGaps[""].push_back(std::max(0.0, sound.rivalGap));
        }
    };
    for (const RightWrong& rw : words) {
        add(rw.right);
    }
    for (const MistakeCase& m : mistakes) {
        add(m.right);
    }
    const auto quantile = [](std::vector<double> v, double q) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[static_cast<std::size_t>(q * (v.size() - 1))];
    };
    const auto norm = [&](std::string_view phone, const std::vector<double>& v,
                          const std::vector<double>& r) {
        const double middle = quantile(v, 0.5);
        const double rivalMiddle = quantile(r, 0.5);
        return core::PhoneGapNorm{phone, middle, std::max(0.2, quantile(v, 0.9) - middle),
                                  rivalMiddle, std::max(0.2, quantile(r, 0.9) - rivalMiddle)};
    };
    const core::PhoneGapNorm all = norm("", gaps[""], rivalGaps[""]);
    std::vector<core::PhoneGapNorm> table;
    std::printf("phone gaps said right (tuning voices):\n");
    for (const std::string_view phone : core::ModelPhones()) {
        if (phone == core::SilencePhone) {
            continue;
        }
        const std::vector<double>& v = gaps[std::string(phone)];
        core::PhoneGapNorm n = v.size() >= 12 ? norm(phone, v, rivalGaps[std::string(phone)]) : all;
        n.phone = phone;
        table.push_back(n);
        std::printf("    {\"%.*s\", %.2f, %.2f, %.2f, %.2f}, // %zu\n",
                    static_cast<int>(phone.size()), phone.data(), n.middle, n.spread, n.rivalMiddle,
                    n.rivalSpread, v.size());
    }
    std::printf("rivals never put in the place of a phone said right at least 20 times:\n   ");
    for (const std::string_view phone : core::ModelPhones()) {
        const std::string name(phone);
        if (gaps[name].size() < 20) {
            continue;
        }
        for (const std::string_view rival : core::RivalPhones(phone, true)) {
            if (placed.count({name, std::string(rival)}) == 0) {
                unheard.push_back({phone, rival});
                std::printf(" {\"%s\", \"%.*s\"},", name.c_str(), static_cast<int>(rival.size()),
                            rival.data());
            }
        }
    }
    std::printf("\n");
    return table;
}

/// How far the figures are from their goals (0 when all are met).
double Shortfall(const SoundFigures& f) {
    return std::max(0.0, 95 - f.rightClose) + std::max(0.0, f.otherClose - 3) * 2 +
           std::max(0.0, 98 - f.sameBeats) + std::max(0.0, 80 - f.flagged) +
           std::max(0.0, f.wronglyFlagged - 5) * 2 + std::max(0.0, 95 - f.mistakeBelow) +
           0.2 * (std::max(0.0, 95 - f.lessonRight) + std::max(0.0, f.lessonRival - 5));
}

/// What the scorer decoded from one recording.
struct Decodings {
    std::vector<core::PhoneSegment> aligned, loop, rivals;
    bool scored = false;
};

/// The file of decodings in the cache folder, named after the way the scorer decodes.
constexpr const char* DecodingsFile = "decodings-v10.txt";

/// One line: the key (file name and phones), a tab, then "scored", and the aligned and loop
/// segments, the loop's and the rivals' as "phone first last logLikelihood" after a "|" each.
void WriteDecodings(std::ofstream& out, const std::string& key, const Decodings& d) {
    out << key << '\t' << (d.scored ? 1 : 0);
    for (const auto* segments : {&d.aligned, &d.loop, &d.rivals}) {
        out << " |";
        for (const core::PhoneSegment& s : *segments) {
            char number[64];
            std::snprintf(number, sizeof number, "%.17g", s.logLikelihood);
            out << ' ' << s.phone << ' ' << s.first << ' ' << s.last << ' ' << number;
        }
    }
    out << '\n';
    out.flush();
}

std::map<std::string, Decodings> ReadDecodings(const fs::path& path) {
    std::map<std::string, Decodings> all;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            continue;
        }
        std::istringstream fields(line.substr(tab + 1));
        Decodings d;
        int scored = 0;
        fields >> scored;
        d.scored = scored != 0;
        std::vector<core::PhoneSegment>* into = nullptr;
        std::string token;
        while (fields >> token) {
            if (token == "|") {
                into = into == nullptr ? &d.aligned : into == &d.aligned ? &d.loop : &d.rivals;
                continue;
            }
            core::PhoneSegment s;
            s.phone = token;
            fields >> s.first >> s.last >> s.logLikelihood;
            if (into != nullptr) {
                into->push_back(s);
            }
        }
        all[line.substr(0, tab)] = std::move(d);
    }
    return all;
}

long PrivateKb() {
    std::ifstream file("/proc/self/smaps_rollup");
    std::string line;
    long kb = 0;
    while (std::getline(file, line)) {
        if (line.rfind("Private_", 0) == 0) {
            std::istringstream fields(line.substr(line.find(':') + 1));
            long v = 0;
            fields >> v;
            kb += v;
        }
    }
    return kb;
}

int SoundBench(const std::vector<std::string>& words, const std::vector<std::string>& more,
               const fs::path& cache, bool tune, bool adapt) {
    for (std::size_t w = 0; w < 2; ++w) {
        if (!MakeVoiceFile(SoundVoices.front(), words[w],
                           SpeakerFile(cache, SoundVoices.front().name, words[w]))) {
            std::fprintf(stderr, "flite cannot say %s\n", words[w].c_str());
            return 1;
        }
    }
    sound::PhoneScorer scorer;
    const long before = PrivateKb();
    if (const core::Status opened = scorer.Open(); !opened) {
        std::fprintf(stderr, "the acoustic model cannot be opened: %s\n", opened.file.c_str());
        return 1;
    }
    // The decodings' own buffers grow at the first recording: measured after one.
    (void)scorer.Score(scorer.DictionaryPhones("think"),
                       Read(SpeakerFile(cache, "kal16", words[0])));
    const long after = PrivateKb();

    // Time from the end of a 2 s recording (44.1 kHz stereo) to the result: each word once, by
    // the first voice, scored as the program scores it (every pronunciation it has).
    {
        std::vector<std::pair<double, std::string>> times;
        for (const std::string& word : words) {
            const std::string path = SpeakerFile(cache, SoundVoices.front().name, word);
            const std::vector<std::vector<std::string>> pronunciations =
                scorer.DictionaryPronunciations(word);
            if (pronunciations.empty() || !MakeVoiceFile(SoundVoices.front(), word, path)) {
                continue;
            }
            const core::PcmSound recording = AsRecording(Read(path));
            const auto start = Clock::now();
            (void)scorer.ScoreBest(pronunciations, recording);
            times.emplace_back(Ms(Clock::now() - start), word);
        }
        std::sort(times.begin(), times.end());
        std::printf("sound by sound: a 2 s recording scored in median %.0f ms, 90th percentile "
                    "%.0f ms, worst %.0f ms (%s) over %zu words (goal <= 150 ms); model loaded: "
                    "%+.1f MB private memory (goal <= 40 MB)\n",
                    times[times.size() / 2].first, times[times.size() * 9 / 10].first,
                    times.back().first, times.back().second.c_str(), times.size(),
                    (after - before) / 1024.0);
    }

    // The decodings are kept in the cache folder too, so that a run measuring other constants
    // does not decode every recording again; a change of the decoding changes DecodingsFile.
    const fs::path decodingsPath = cache / DecodingsFile;
    std::map<std::string, Decodings> decodings = ReadDecodings(decodingsPath);
    std::ofstream decodingsOut(decodingsPath, std::ios::app);
    const auto scoreWith = [&](sound::PhoneScorer& by, const std::string& prefix,
                               const std::vector<std::string>& phones, const std::string& path,
                               bool heldOut) {
        Scored s;
        s.phones = phones;
        s.heldOut = heldOut;
        s.path = path;
        std::string key = prefix + fs::path(path).filename().string();
        for (const std::string& phone : phones) {
            key += ' ' + phone;
        }
        auto known = decodings.find(key);
        if (known == decodings.end()) {
            const sound::PhoneScoring result = by.Score(phones, Read(path));
            Decodings d{result.aligned, result.loop, result.rivals,
                        static_cast<bool>(result.status)};
            WriteDecodings(decodingsOut, key, d);
            known = decodings.emplace(key, std::move(d)).first;
        }
        s.aligned = known->second.aligned;
        s.loop = known->second.loop;
        s.rivals = known->second.rivals;
        s.scored = known->second.scored;
        s.key = key;
        return s;
    };
    const auto score = [&](const std::vector<std::string>& phones, const std::string& path,
                           bool heldOut) { return scoreWith(scorer, "", phones, path, heldOut); };

    // Scored as each of the word's pronunciations, as the program scores a word.
    const auto scoreAll = [&](const std::vector<std::vector<std::string>>& pronunciations,
                              const std::string& path, bool heldOut) {
        Scored s = score(pronunciations.front(), path, heldOut);
        for (std::size_t i = 1; i < pronunciations.size(); ++i) {
            s.others.push_back(score(pronunciations[i], path, heldOut));
        }
        return s;
    };

    std::printf("scoring the voices' words sound by sound ...\n");
    std::fflush(stdout);
    std::vector<RightWrong> rightWrong;
    for (const SoundVoice& voice : SoundVoices) {
        for (std::size_t w = 0; w < words.size(); ++w) {
            const std::vector<std::vector<std::string>> pronunciations =
                scorer.DictionaryPronunciations(words[w]);
            const std::string& otherWord = words[(w + 1 + 37 * w) % words.size()];
            const std::string path = SpeakerFile(cache, voice.name, words[w]);
            const std::string otherPath = SpeakerFile(cache, voice.name, otherWord);
            if (pronunciations.empty() || otherWord == words[w] ||
                !MakeVoiceFile(voice, words[w], path) ||
                !MakeVoiceFile(voice, otherWord, otherPath)) {
                continue;
            }
            rightWrong.push_back({scoreAll(pronunciations, path, voice.heldOut),
                                  scoreAll(pronunciations, otherPath, voice.heldOut), words[w],
                                  voice.name});
        }
    }

    std::printf("scoring the mistaken renditions ...\n");
    std::fflush(stdout);
    std::vector<MistakeCase> mistakes;
    int applied[std::size(Mistakes)] = {};
    // The benchmark's words first; then, for a mistake that applies to fewer than
    // MistakeWords of them, more words of the bank that it applies to.
    std::vector<std::string> mistakeWords = words;
    mistakeWords.insert(mistakeWords.end(), more.begin(), more.end());
    for (std::size_t w = 0; w < mistakeWords.size(); ++w) {
        const std::string& word = mistakeWords[w];
        const bool extra = w >= words.size();
        if (extra && std::all_of(std::begin(applied), std::end(applied),
                                 [](int n) { return n >= MistakeWords; })) {
            break;
        }
        const std::string phonemes = Capture("espeak-ng -q -x -v en-us " + Quote(word));
        const std::vector<std::string> phones = core::PhonesOfEspeak(phonemes);
        if (phones.empty() || phonemes.find(' ') != std::string::npos) {
            continue;
        }
        for (std::size_t k = 0; k < std::size(Mistakes); ++k) {
            int changed = -1;
            const std::string wrong = Mistakes[k].apply(phonemes, changed);
            if (changed < 0 || wrong == phonemes || (extra && applied[k] >= MistakeWords)) {
                continue;
            }
            ++applied[k];
            for (const SoundVoice& voice : MistakeVoices) {
                const std::string right = SpeakerFile(cache, "ph-" + voice.name, word);
                const std::string mistaken =
                    SpeakerFile(cache, "ph-" + voice.name, word, "-m" + std::to_string(k));
                if (!MakeVoiceFile(voice, "[[" + phonemes + "]]", right) ||
                    !MakeVoiceFile(voice, "[[" + wrong + "]]", mistaken)) {
                    continue;
                }
                MistakeCase m;
                m.right = score(phones, right, voice.heldOut);
                m.wrong = score(phones, mistaken, voice.heldOut);
                m.changed = changed;
                m.mistake = static_cast<int>(k);
                m.voice = voice.name;
                m.word = word;
                mistakes.push_back(std::move(m));
            }
        }
    }

    // The lesson symbols said alone by the same voices: each as itself, and each one-phone
    // symbol as each one-phone symbol it is a rival of (an s for the ʃ of the lesson).
    std::printf("scoring the lesson symbols ...\n");
    std::fflush(stdout);
    std::vector<LessonCase> lessons;
    // eSpeak NG says nothing for a stop (and a few others) without a vowel: those symbols have
    // no stand-in and are left out, named.
    std::string unsaid;
    for (const SoundVoice& voice : MistakeVoices) {
        for (int k = 1; k <= 48; ++k) {
            const std::string said(core::LessonSymbolPhonemes(k));
            const std::string path = SpeakerFile(cache, "symbol-" + voice.name, std::to_string(k));
            if (!MakeVoiceFile(voice, "[[" + said + "]]", path)) {
                continue;
            }
            const std::vector<std::int16_t> samples = Read(path).samples;
            if (std::all_of(samples.begin(), samples.end(),
                            [](std::int16_t s) { return s == 0; })) {
                unsaid += " " + voice.name + ":" + said;
                continue;
            }
            const std::vector<std::string> phones = core::LessonSymbolPhones(k);
            lessons.push_back({score(phones, path, voice.heldOut), true, said, said});
            for (int other = 1; other <= 48; ++other) {
                const std::vector<std::string> as = core::LessonSymbolPhones(other);
                const auto rivals =
                    as.size() == 1 ? core::RivalPhones(as[0]) : std::vector<std::string_view>{};
                if (phones.size() == 1 &&
                    std::find(rivals.begin(), rivals.end(), phones[0]) != rivals.end()) {
                    lessons.push_back({score(as, path, voice.heldOut), false, said,
                                       std::string(core::LessonSymbolPhonemes(other))});
                }
            }
        }
    }

    // The cases and where their decodings are, for a study of the decodings outside.
    if (const char* dump = std::getenv("LJT_BENCH_CASES")) {
        std::ofstream out(dump);
        const auto line = [&](const char* kind, const Scored& s, const std::string& voice,
                              const std::string& word, int changed, int mistake) {
            out << kind << '\t' << s.heldOut << '\t' << voice << '\t' << word << '\t' << changed
                << '\t' << mistake << '\t' << s.key << '\n';
        };
        for (const RightWrong& rw : rightWrong) {
            line("right", rw.right, rw.voice, rw.word, -1, -1);
            line("other", rw.other, rw.voice, rw.word, -1, -1);
        }
        for (const MistakeCase& m : mistakes) {
            line("mright", m.right, "", "", m.changed, m.mistake);
            line("mwrong", m.wrong, "", "", m.changed, m.mistake);
        }
        for (const LessonCase& l : lessons) {
            line(l.right ? "lright" : "lrival", l.scored, l.said, l.as, -1, -1);
        }
    }

    core::SoundCalibration chosen = scorer.calibration;
    if (tune) {
        chosen.unheardRivals.clear();
        const std::vector<core::PhoneGapNorm> learned =
            LearnPhoneGaps(rightWrong, mistakes, chosen.unheardRivals);
        chosen.phoneGaps = learned;
        // Coordinate search: each constant in turn over its candidates, the others kept, until
        // a pass changes nothing.
        double best = Shortfall(Measure(rightWrong, mistakes, lessons, chosen, false));
        struct Knob {
            double core::SoundCalibration::*field;
            std::vector<double> values;
        };
        const Knob knobs[] = {
            {&core::SoundCalibration::freeGap, {-1.0, -0.5, 0.0, 0.3, 0.6, 1.0, 1.5, 2.0, 3.0}},
            {&core::SoundCalibration::gapScale, {0.3, 0.6, 1.0, 1.8, 2.5, 3.5, 5.0, 8.0, 10.0}},
            {&core::SoundCalibration::meanWeight, {0.0, 0.2, 0.4, 0.5, 0.6, 0.8, 1.0}},
            {&core::SoundCalibration::wordFreeGap, {0.0, 0.2, 0.4, 0.7, 0.95, 1.0, 1.5, 2.0, 1000}},
            {&core::SoundCalibration::wordGapScale, {0.1, 0.15, 0.2, 0.4, 0.7, 1.0, 1.5, 2.5}},
            {&core::SoundCalibration::pauseFreeShare, {0.0, 0.1, 0.2, 0.3, 0.5}},
            {&core::SoundCalibration::pauseWeight, {0.0, 0.5, 1.0, 2.0, 4.0}},
            {&core::SoundCalibration::rivalFreeGap,
             {-0.5, -0.3, 0.0, 0.2, 0.5, 1.0, 1.5, 2.0, 1000}},
            {&core::SoundCalibration::rivalGapScale, {0.1, 0.2, 0.4, 0.7, 1.0, 1.5, 2.5}},
            {&core::SoundCalibration::heardShare, {0.3, 0.5, 0.7}},
            {&core::SoundCalibration::faultCeiling, {0, 10, 20, 35, 49, 100}},
        };
        // From the present constants, then from random ones: the search stops at the first
        // point no single change improves, which depends on where it starts.
        const core::SoundCalibration first = chosen;
        double overall = best;
        core::SoundCalibration overallChosen = chosen;
        std::mt19937 random(5);
        for (int start = 0; start < 24; ++start) {
            chosen = first;
            if (start > 0) {
                for (const Knob& knob : knobs) {
                    chosen.*knob.field = knob.values[random() % knob.values.size()];
                }
                chosen.phoneGaps = random() % 2 == 0 ? learned : std::vector<core::PhoneGapNorm>{};
            }
            best = Shortfall(Measure(rightWrong, mistakes, lessons, chosen, false));
            for (int pass = 0; pass < 6; ++pass) {
                bool changed = false;
                // Keeps calibration c when it comes nearer the goals than the best so far.
                const auto tryCalibration = [&](const core::SoundCalibration& c) {
                    const double shortfall =
                        Shortfall(Measure(rightWrong, mistakes, lessons, c, false));
                    if (shortfall < best - 1e-9) {
                        best = shortfall;
                        chosen = c;
                        changed = true;
                    }
                };
                for (const Knob& knob : knobs) {
                    for (const double v : knob.values) {
                        core::SoundCalibration c = chosen;
                        c.*knob.field = v;
                        tryCalibration(c);
                    }
                }
                struct Count {
                    int core::SoundCalibration::*field;
                    std::vector<int> values;
                };
                const Count counts[] = {
                    {&core::SoundCalibration::extraVowelFrames, {2, 4, 6, 9, 1000}},
                    {&core::SoundCalibration::droppedFrames, {0, 3, 4, 6}},
                    {&core::SoundCalibration::squeezedFrames, {0, 3, 4, 5}},
                    {&core::SoundCalibration::saidVowelFrames, {6, 8, 12, 1000}},
                    {&core::SoundCalibration::weakestCount, {1, 2, 3}},
                };
                // The learned table of phone gaps, or none.
                for (const bool table : {false, true}) {
                    core::SoundCalibration c = chosen;
                    c.phoneGaps = table ? learned : std::vector<core::PhoneGapNorm>{};
                    tryCalibration(c);
                }
                for (const Count& count : counts) {
                    for (const int v : count.values) {
                        core::SoundCalibration c = chosen;
                        c.*count.field = v;
                        tryCalibration(c);
                    }
                }
                if (!changed) {
                    break;
                }
            }
            if (best < overall) {
                overall = best;
                overallChosen = chosen;
            }
        }
        chosen = overallChosen;
        best = overall;
        std::printf("constants found on the tuning voices (shortfall %.1f): freeGap %.2f, "
                    "gapScale %.2f, meanWeight %.2f, wordFreeGap %.2f, wordGapScale %.2f, "
                    "pauseFreeShare %.2f, pauseWeight %.2f, "
                    "rivalFreeGap %.2f, rivalGapScale %.2f, heardShare %.2f, faultCeiling %.0f, "
                    "extraVowelFrames %d, droppedFrames %d, squeezedFrames %d, "
                    "saidVowelFrames %d, weakestCount %d, learned gaps %s\n",
                    best, chosen.freeGap, chosen.gapScale, chosen.meanWeight, chosen.wordFreeGap,
                    chosen.wordGapScale, chosen.pauseFreeShare, chosen.pauseWeight,
                    chosen.rivalFreeGap, chosen.rivalGapScale, chosen.heardShare,
                    chosen.faultCeiling, chosen.extraVowelFrames, chosen.droppedFrames,
                    chosen.squeezedFrames, chosen.saidVowelFrames, chosen.weakestCount,
                    chosen.phoneGaps.empty() ? "no" : "yes");
    }

    int perMistake[std::size(Mistakes)] = {};
    int perMistakeCount[std::size(Mistakes)] = {};
    const SoundFigures t = Measure(rightWrong, mistakes, lessons, chosen, false);
    const SoundFigures h =
        Measure(rightWrong, mistakes, lessons, chosen, true, perMistake, perMistakeCount);
    // The first calibration of the score sound by sound, on the same decodings: one gap for
    // every phone, no whole-word check, no rivals.
    core::SoundCalibration first;
    first.phoneGaps.clear();
    first.freeGap = 0.6;
    first.gapScale = 3.5;
    first.meanWeight = 0.6;
    first.weakestCount = 1;
    first.wordFreeGap = 1e9;
    first.pauseWeight = 0;
    first.rivalFreeGap = 1e9;
    first.heardShare = 0.3;
    first.extraVowelFrames = 4;
    first.faultCeiling = 20;
    first.droppedFrames = 4;
    first.squeezedFrames = 0;
    first.saidVowelFrames = 1000;
    const SoundFigures ft = Measure(rightWrong, mistakes, lessons, first, false);
    const SoundFigures fh = Measure(rightWrong, mistakes, lessons, first, true);
    std::printf("\nBefore: the comparison with the model's recording; First: the first constants "
                "of the score sound by sound (tuning / held-out voices), on the same "
                "recordings.\n");
    std::printf("| Measure | Before | First | Tuning voices | Held-out voices | Goal |\n"
                "|---|---|---|---|---|---|\n");
    const struct {
        const char* name;
        const char* before;
        double SoundFigures::*figure;
        const char* goal;
    } rows[] = {
        {"right word, other voice, at least \"接近\"", "75.4 %", &SoundFigures::rightClose,
         ">= 95 %"},
        {"other word, at least \"接近\"", "11.0 %", &SoundFigures::otherClose, "<= 3 %"},
        {"same word/other voice beats other word/same voice", "92.7 %", &SoundFigures::sameBeats,
         ">= 98 %"},
        {"mistaken rendition: the changed sound is flagged", "-", &SoundFigures::flagged,
         ">= 80 %"},
        {"right rendition: sounds wrongly flagged", "-", &SoundFigures::wronglyFlagged, "<= 5 %"},
        {"mistaken rendition scores below the right one", "-", &SoundFigures::mistakeBelow,
         ">= 95 %"},
        {"lesson symbol said alone, at least \"接近\"", "-", &SoundFigures::lessonRight, "-"},
        {"lesson symbol scored as a rival's, at least \"接近\"", "-", &SoundFigures::lessonRival,
         "-"},
    };
    for (const auto& row : rows) {
        std::printf("| %s | %s | %.1f %% / %.1f %% | %.1f %% | %.1f %% | %s |\n", row.name,
                    row.before, ft.*row.figure, fh.*row.figure, t.*row.figure, h.*row.figure,
                    row.goal);
    }
    std::printf("(%d + %d right renditions, %d + %d pairs, %d + %d mistaken renditions, %d + %d "
                "sounds)\n",
                t.rights, h.rights, t.pairs, h.pairs, t.mistakes, h.mistakes, t.sounds, h.sounds);
    std::printf("lesson symbols without a stand-in (silent):%s\n", unsaid.c_str());
    // Which voices the right words fail on: a voice far from the model's shows here first.
    std::map<std::string, std::pair<int, int>> byVoice;
    for (const RightWrong& rw : rightWrong) {
        auto& [close, all] = byVoice[rw.voice];
        close += rw.right.With(chosen).score >= core::CloseScore ? 1 : 0;
        ++all;
    }
    std::printf("right word at least \"接近\", by voice:");
    for (const auto& [voice, counts] : byVoice) {
        std::printf(" %s %d/%d;", voice.c_str(), counts.first, counts.second);
    }
    std::printf("\n");
    std::printf("held-out changed sound flagged, by mistake:");
    for (std::size_t k = 0; k < std::size(Mistakes); ++k) {
        std::printf(" %s %d/%d (%d words);", Mistakes[k].name, perMistake[k], perMistakeCount[k],
                    applied[k]);
    }
    std::printf("\n");
    if (!adapt) {
        return 0;
    }

    // Adapted to each voice, as the program adapts to a learner: of the voice's right words,
    // those of the even places that the model as installed finds at least "接近" (the ones the
    // program keeps) teach the model the voice; the words of the odd places, and the mistakes
    // made in them, are then scored with the adapted model and without.
    std::printf("\nadapting the model to each voice ...\n");
    std::fflush(stdout);
    std::set<std::string> scoredAfter;
    for (std::size_t w = 1; w < words.size(); w += 2) {
        scoredAfter.insert(words[w]);
    }
    for (std::size_t w = words.size() + 1; w < mistakeWords.size(); w += 2) {
        scoredAfter.insert(mistakeWords[w]);
    }
    std::vector<RightWrong> rightBefore, rightAfter;
    std::vector<MistakeCase> mistakesBefore, mistakesAfter;
    std::map<std::string, std::array<int, 4>> adaptedVoices; // samples, words, before, after
    // A recording the program keeps to learn the voice from; LJT_BENCH_SAMPLES=n learns from
    // the first n only (30: the program's first adaptation).
    std::size_t mostSamples = sound::MostVoiceSamples;
    if (const char* n = std::getenv("LJT_BENCH_SAMPLES"); n != nullptr && std::atoi(n) > 0) {
        mostSamples = std::min(mostSamples, static_cast<std::size_t>(std::atoi(n)));
    }
    const auto keep = [&](const Scored& s, std::vector<sound::VoiceSample>& samples) {
        const core::SoundScores r = s.With(chosen);
        if (samples.size() < mostSamples && core::KeptAsVoiceSample(r)) {
            std::vector<std::string> phones;
            for (const core::SoundResult& sound : r.sounds) {
                phones.push_back(sound.phone);
            }
            samples.push_back({phones, Read(s.path)});
        }
    };
    // The model adapted to samples: the rescoring of a case with it (the decodings of an
    // adaptation are known by its file's bytes).
    struct Adapted {
        std::unique_ptr<sound::PhoneScorer> scorer = std::make_unique<sound::PhoneScorer>();
        std::string prefix;
        double ms = 0;
    };
    const auto adaptTo = [&](const std::string& name,
                             const std::vector<sound::VoiceSample>& samples, Adapted& adapted) {
        const fs::path file = cache / ("adapted-" + name + ".means");
        const auto started = Clock::now();
        if (const core::Status status = scorer.Adapt(samples, file.string()); !status) {
            std::fprintf(stderr, "the model cannot be adapted to %s: %s\n", name.c_str(),
                         status.file.c_str());
            return false;
        }
        adapted.ms = Ms(Clock::now() - started);
        adapted.scorer->UseAdaptation(file.string());
        std::string bytes;
        (void)core::ReadFileBytes(file.string(), bytes);
        adapted.prefix = "adapted-" + std::to_string(std::hash<std::string>{}(bytes)) + ":";
        return true;
    };
    const auto again = [&](Adapted& adapted, const Scored& s) {
        Scored a = scoreWith(*adapted.scorer, adapted.prefix, s.phones, s.path, s.heldOut);
        for (const Scored& other : s.others) {
            a.others.push_back(scoreWith(*adapted.scorer, adapted.prefix, other.phones, other.path,
                                         other.heldOut));
        }
        return a;
    };
    for (const SoundVoice& voice : SoundVoices) {
        std::vector<sound::VoiceSample> samples;
        for (const RightWrong& rw : rightWrong) {
            if (rw.voice == voice.name && scoredAfter.count(rw.word) == 0) {
                keep(rw.right, samples);
            }
        }
        Adapted adapted;
        if (!adaptTo(voice.name, samples, adapted)) {
            return 1;
        }
        auto& [sampleCount, wordCount, closeBefore, closeAfter] = adaptedVoices[voice.name];
        sampleCount = static_cast<int>(samples.size());
        for (const RightWrong& rw : rightWrong) {
            if (rw.voice == voice.name && scoredAfter.count(rw.word) > 0) {
                rightBefore.push_back(rw);
                rightAfter.push_back(
                    {again(adapted, rw.right), again(adapted, rw.other), rw.word, rw.voice});
                ++wordCount;
                closeBefore += rw.right.With(chosen).score >= core::CloseScore ? 1 : 0;
                closeAfter += rightAfter.back().right.With(chosen).score >= core::CloseScore;
            }
        }
        for (const MistakeCase& m : mistakes) {
            if (m.voice == voice.name && scoredAfter.count(m.word) > 0) {
                mistakesBefore.push_back(m);
                MistakeCase a = m;
                a.right = again(adapted, m.right);
                a.wrong = again(adapted, m.wrong);
                mistakesAfter.push_back(std::move(a));
            }
        }
        std::printf("  %s: adapted on %zu recordings in %.1f s\n", voice.name.c_str(),
                    samples.size(), adapted.ms / 1000.0);
        std::fflush(stdout);
    }
    // A learner who makes the typical mistakes: the mistaken renditions of the even places
    // that the program keeps (those whose changed sound it missed) teach the model too, first,
    // then the right words. The mistakes of the odd places show whether the model learned
    // them as the learner's way of saying the sounds.
    std::vector<MistakeCase> mistakesLearned;
    std::map<std::string, int> mistakesKept;
    for (const SoundVoice& voice : MistakeVoices) {
        std::vector<sound::VoiceSample> samples;
        for (const MistakeCase& m : mistakes) {
            if (m.voice == voice.name && scoredAfter.count(m.word) == 0) {
                keep(m.wrong, samples);
            }
        }
        mistakesKept[voice.name] = static_cast<int>(samples.size());
        for (const RightWrong& rw : rightWrong) {
            if (rw.voice == voice.name && scoredAfter.count(rw.word) == 0) {
                keep(rw.right, samples);
            }
        }
        Adapted adapted;
        if (!adaptTo(voice.name + "-with-mistakes", samples, adapted)) {
            return 1;
        }
        for (const MistakeCase& m : mistakes) {
            if (m.voice == voice.name && scoredAfter.count(m.word) > 0) {
                MistakeCase a = m;
                a.right = again(adapted, m.right);
                a.wrong = again(adapted, m.wrong);
                mistakesLearned.push_back(std::move(a));
            }
        }
    }
    const SoundFigures bt = Measure(rightBefore, mistakesBefore, {}, chosen, false);
    const SoundFigures bh = Measure(rightBefore, mistakesBefore, {}, chosen, true);
    const SoundFigures at = Measure(rightAfter, mistakesAfter, {}, chosen, false);
    const SoundFigures ah = Measure(rightAfter, mistakesAfter, {}, chosen, true);
    std::printf("\nAdapted to the voice (the words of the odd places; tuning / held-out voices):\n"
                "| Measure | As installed | Adapted | Goal |\n|---|---|---|---|\n");
    for (const auto& row : rows) {
        if (row.figure == &SoundFigures::lessonRight || row.figure == &SoundFigures::lessonRival) {
            continue;
        }
        std::printf("| %s | %.1f %% / %.1f %% | %.1f %% / %.1f %% | %s |\n", row.name,
                    bt.*row.figure, bh.*row.figure, at.*row.figure, ah.*row.figure, row.goal);
    }
    std::printf("(%d + %d right renditions, %d + %d mistaken renditions)\n", at.rights, ah.rights,
                at.mistakes, ah.mistakes);
    std::printf("right word at least \"接近\", by voice, as installed -> adapted (samples):");
    for (const auto& [voice, n] : adaptedVoices) {
        std::printf(" %s %d -> %d of %d (%d);", voice.c_str(), n[2], n[3], n[1], n[0]);
    }
    std::printf("\n");
    const SoundFigures lt = Measure({}, mistakesLearned, {}, chosen, false);
    const SoundFigures lh = Measure({}, mistakesLearned, {}, chosen, true);
    std::printf("adapted also on the learner's own mistakes (kept:");
    for (const auto& [voice, n] : mistakesKept) {
        std::printf(" %s %d;", voice.c_str(), n);
    }
    std::printf(" tuning / held-out): changed sound flagged %.1f %% / %.1f %%, mistaken below "
                "right %.1f %% / %.1f %%\n",
                lt.flagged, lh.flagged, lt.mistakeBelow, lh.mistakeBelow);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bool soundsOnly = false;
    bool tune = false;
    bool adapt = false;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sounds") {
            soundsOnly = true;
        } else if (a == "--tune") {
            tune = true;
        } else if (a == "--adapt") {
            adapt = true;
        } else {
            rest.push_back(argv[i]);
        }
    }
    argc = static_cast<int>(rest.size());
    argv = rest.data();
    std::string appDir = argc > 1 ? argv[1] : LJT_BENCH_DATA;
    if (!appDir.empty() && appDir.back() != '/') {
        appDir += '/';
    }
    const fs::path cache = argc > 2 ? fs::path(argv[2]) : fs::path(LJT_BENCH_CACHE);
    fs::create_directories(cache);

    std::vector<std::string> more;
    const std::vector<std::string> words = BankWords(appDir, &more);
    if (words.size() < WordCount) {
        std::fprintf(stderr, "only %zu words found\n", words.size());
        return 1;
    }

    if (soundsOnly || tune || adapt) {
        return SoundBench(words, more, cache, tune, adapt);
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
    return SoundBench(words, more, cache, false, false);
}
