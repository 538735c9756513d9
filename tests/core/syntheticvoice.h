#pragma once
// Words made of vowels and hisses for the tests of the pronunciation score: a harmonic source
// shaped by three formants, so that a "speaker" is a pitch and a vocal-tract length, and a
// "word" a sequence of sounds with their lengths.
#include "core/pcmwave.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testvoice {

struct Speaker {
    double pitchHz;      ///< at the start; the pitch falls by a fifth over the word
    double formantScale; ///< 1 for a man's vocal tract, about 1.15 for a woman's
};

inline const Speaker Man{110, 1.0};
inline const Speaker Woman{205, 1.16};

/// One sound of a word: a vowel by its letter ('i', 'e', 'a', 'o', 'u', 'A' as in "cat") or
/// 's' for a hiss, and its length.
struct Sound {
    char what;
    double seconds;
};
using Word = std::vector<Sound>;

inline void Formants(char vowel, double f[3]) {
    struct Row {
        char v;
        double f1, f2, f3;
    };
    static const Row rows[] = {{'i', 270, 2290, 3010}, {'e', 530, 1840, 2480},
                               {'a', 730, 1090, 2440}, {'o', 570, 840, 2410},
                               {'u', 300, 870, 2240},  {'A', 660, 1720, 2410}};
    for (const Row& r : rows) {
        if (r.v == vowel) {
            f[0] = r.f1;
            f[1] = r.f2;
            f[2] = r.f3;
            return;
        }
    }
    f[0] = 500;
    f[1] = 1500;
    f[2] = 2500;
}

/// The word said by speaker, its lengths scaled by tempo (1.2: 20% slower), at rate, with
/// leadSeconds of silence before and after it, peak amplitude about `level` of full scale.
inline core::PcmSound Say(const Word& word, const Speaker& speaker, double tempo = 1.0,
                          int rate = 16000, double leadSeconds = 0.2, double level = 0.5) {
    std::vector<double> out;
    auto lead = static_cast<std::size_t>(leadSeconds * rate);
    out.assign(lead, 0.0);
    double total = 0;
    for (const Sound& s : word) {
        total += s.seconds * tempo;
    }
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> phase(80, 0.0);
    double prevNoise = 0;
    double elapsed = 0;
    double from[3] = {0, 0, 0};
    for (std::size_t k = 0; k < word.size(); ++k) {
        const Sound& s = word[k];
        const auto n = static_cast<std::size_t>(s.seconds * tempo * rate);
        double to[3];
        Formants(s.what, to);
        if (k == 0 || word[k - 1].what == 's') {
            std::copy(to, to + 3, from);
        }
        for (std::size_t t = 0; t < n; ++t, elapsed += 1.0 / rate) {
            // The first 40 ms of a vowel glide from the formants of the sound before.
            const double glide = std::min(1.0, static_cast<double>(t) / (0.04 * rate));
            // Soft edges, so that the word starts and ends as a voice does.
            const double edge = std::min({1.0, elapsed / 0.02, (total - elapsed) / 0.02});
            double v = 0;
            if (s.what == 's') {
                const double white = noise(random);
                v = 0.25 * (white - prevNoise); // a hiss: the high frequencies of noise
                prevNoise = white;
            } else {
                const double pitch = speaker.pitchHz * (1.0 - 0.33 * elapsed / total);
                double f[3];
                for (int i = 0; i < 3; ++i) {
                    f[i] = speaker.formantScale * (from[i] + (to[i] - from[i]) * glide);
                }
                for (std::size_t h = 1; h < phase.size(); ++h) {
                    const double hz = pitch * static_cast<double>(h);
                    if (hz > 7000) {
                        break;
                    }
                    double gain = 0.02;
                    for (int i = 0; i < 3; ++i) {
                        const double width = 60 + 0.06 * f[i];
                        gain += std::exp(-0.5 * std::pow((hz - f[i]) / width, 2)) / (1 + i);
                    }
                    phase[h] += 2 * M_PI * hz / rate;
                    v += gain * std::sin(phase[h]) / std::sqrt(static_cast<double>(h));
                }
                v *= 0.3;
            }
            out.push_back(v * std::max(0.0, edge));
        }
        if (s.what != 's') {
            std::copy(to, to + 3, from);
        }
    }
    out.insert(out.end(), lead, 0.0);
    double peak = 1e-9;
    for (double v : out) {
        peak = std::max(peak, std::abs(v));
    }
    core::PcmSound sound;
    sound.rate = rate;
    sound.channels = 1;
    for (double v : out) {
        sound.samples.push_back(static_cast<std::int16_t>(std::lround(v / peak * level * 32767)));
    }
    return sound;
}

/// seconds of noise at rate: white at the given RMS (of full scale), silence for 0.
inline core::PcmSound Noise(double seconds, double rms, int rate = 16000) {
    std::mt19937 random(5);
    std::normal_distribution<double> normal(0.0, rms * 32767);
    core::PcmSound sound;
    sound.rate = rate;
    sound.channels = 1;
    for (auto i = static_cast<std::size_t>(seconds * rate); i > 0; --i) {
        sound.samples.push_back(
            static_cast<std::int16_t>(std::clamp(normal(random), -32768.0, 32767.0)));
    }
    return sound;
}

/// b after a: one recording holding both.
inline core::PcmSound Join(core::PcmSound a, const core::PcmSound& b) {
    a.samples.insert(a.samples.end(), b.samples.begin(), b.samples.end());
    return a;
}

} // namespace testvoice
