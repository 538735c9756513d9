// How a pronunciation is scored.
//
// Both recordings are analysed alike (voiceanalysis.cpp): one channel at 16 kHz, the silence
// before and after the speech cut off, the loudness brought to one level, then one frame every
// 10 ms with 13 mel-frequency cepstral coefficients (aubio) and a pitch (aubio's yinfast). The
// learner's cepstra are also made with the frequency axis stretched by factors from 0.75 to
// 1.3, as for a shorter or longer vocal tract.
//
// The comparison drops the loudness coefficient c0 and takes the recording's mean off each of
// c1..c12, which removes most of what the microphone adds alike to every frame. Two frames
// differ by the cosine distance of these vectors (the shape of the spectrum, not its depth),
// divided by the mean distance of all pairs of frames of the two recordings: a distance is
// measured against how much these two voices differ anyway, so a voice unlike the model's
// loses little for that alone. Dynamic time warping then aligns the learner's frames with the
// model's: each step of the path advances the model, the learner or both; a diagonal step
// weighs its distance twice, a step of one side alone its distance plus a fixed penalty, so a
// word said faster or slower aligns at a small cost while the frames of a different word
// cannot be picked freely to imitate the model. The cost is the sum along the best path
// divided by the lengths of both recordings; of the vocal-tract stretches the cheapest counts.
//
// The cost is mapped to a score by 100 * exp(-(cost / CostScale)^CostPower): a recording
// compared with itself scores 100, and the score falls smoothly (it never ties at 0, so two
// poor attempts still rank). The constants were set on stand-in speakers (bench/
// pronunciation_bench.cpp): the same word by another voice scores higher than a different word
// by the same voice in more than nine pairs of ten, and silence or noise scores near 0.
//
// Where it is weak: it hears the sounds, not the stress or the intonation (the pitch is shown
// but not scored); short words of one syllable that differ in one consonant ("hate", "take")
// score close to each other; and a loud noise before or after the word (a cough, a click) is
// counted as part of the recording.
#include "pronunciationscore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace core {

namespace {

constexpr int FirstCompared = 1; // c0, the loudness, is left out
// What a step that advances only one recording costs beyond its distance, in units of the
// mean distance of the two recordings' frames.
constexpr double StepPenalty = 1.0;
constexpr double CostScale = 0.65;
constexpr double CostPower = 3.0;

float Closeness(double cost) {
    return static_cast<float>(std::exp(-std::pow(std::max(0.0, cost) / CostScale, CostPower)));
}

/// The features scaled to unit length (a vector of (almost) zeros becomes zeros), so that a dot
/// product is the cosine of two frames.
std::vector<Cepstrum> UnitLength(const std::vector<Cepstrum>& features) {
    std::vector<Cepstrum> unit = features;
    for (Cepstrum& c : unit) {
        float sum = 0;
        for (float v : c) {
            sum += v * v;
        }
        if (sum > 1e-12f) {
            const float scale = 1.0f / std::sqrt(sum);
            for (float& v : c) {
                v *= scale;
            }
        } else {
            c.fill(0.0f); // the recording's mean: no direction to compare
        }
    }
    return unit;
}

} // namespace

Verdict VerdictOf(double score) {
    if (score >= VeryGoodScore) {
        return Verdict::VeryGood;
    }
    return score >= CloseScore ? Verdict::Close : Verdict::TryAgain;
}

int VoiceComparison::Rounded() const {
    return static_cast<int>(std::lround(std::clamp(score, 0.0, 100.0)));
}

std::vector<Cepstrum> ComparedFeatures(const VoiceAnalysis& voice, std::size_t warp) {
    const std::vector<Cepstrum>& cepstra =
        voice.cepstra[std::min(warp, VocalTractWarps.size() - 1)];
    const std::size_t n = cepstra.size();
    std::vector<Cepstrum> features(n, Cepstrum{});
    if (n == 0) {
        return features;
    }
    for (int k = FirstCompared; k < CepstrumSize; ++k) {
        const auto at = static_cast<std::size_t>(k);
        double mean = 0;
        for (const Cepstrum& c : cepstra) {
            mean += c[at];
        }
        mean /= static_cast<double>(n);
        for (std::size_t f = 0; f < n; ++f) {
            features[f][at] = static_cast<float>(cepstra[f][at] - mean);
        }
    }
    return features;
}

Alignment AlignFrames(const std::vector<Cepstrum>& a, const std::vector<Cepstrum>& b) {
    Alignment result;
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    if (n == 0 || m == 0) {
        result.cost = std::numeric_limits<double>::infinity();
        return result;
    }
    // g holds the accumulated cost; steps are coded 0 diagonal, 1 model only, 2 learner only.
    std::vector<float> local(n * m);
    std::vector<double> g(n * m);
    std::vector<unsigned char> step(n * m);
    const std::vector<Cepstrum> ua = UnitLength(a);
    const std::vector<Cepstrum> ub = UnitLength(b);
    const auto isZero = [](const Cepstrum& c) {
        return std::all_of(c.begin(), c.end(), [](float v) { return v == 0.0f; });
    };
    std::vector<bool> zeroA(n);
    std::vector<bool> zeroB(m);
    for (std::size_t i = 0; i < n; ++i) {
        zeroA[i] = isZero(ua[i]);
    }
    for (std::size_t j = 0; j < m; ++j) {
        zeroB[j] = isZero(ub[j]);
    }
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < m; ++j) {
            float dot = 0;
            for (std::size_t k = 0; k < ua[i].size(); ++k) {
                dot += ua[i][k] * ub[j][k];
            }
            // Rounding leaves the cosine of a frame with itself a hair off 1; two frames that
            // are both the recording's mean (a steady sound) are alike.
            const float d = (dot > 1.0f - 1e-6f || (zeroA[i] && zeroB[j])) ? 0.0f : 1.0f - dot;
            local[i * m + j] = d;
            sum += d;
        }
    }
    // Two recordings of one steady sound: every pair alike, nothing to measure against.
    const double mean = sum / static_cast<double>(n * m);
    const float unit = mean > 1e-6 ? static_cast<float>(1.0 / mean) : 0.0f;
    for (float& d : local) {
        d *= unit;
    }
    const double inf = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < m; ++j) {
            const double d = local[i * m + j];
            if (i == 0 && j == 0) {
                g[0] = 2 * d;
                step[0] = 0;
                continue;
            }
            const double diagonal = i > 0 && j > 0 ? g[(i - 1) * m + j - 1] + 2 * d : inf;
            const double down = i > 0 ? g[(i - 1) * m + j] + d + StepPenalty : inf;
            const double across = j > 0 ? g[i * m + j - 1] + d + StepPenalty : inf;
            double best = diagonal;
            unsigned char how = 0;
            if (down < best) {
                best = down;
                how = 1;
            }
            if (across < best) {
                best = across;
                how = 2;
            }
            g[i * m + j] = best;
            step[i * m + j] = how;
        }
    }
    result.cost = g[n * m - 1] / static_cast<double>(n + m);
    std::size_t i = n - 1;
    std::size_t j = m - 1;
    for (;;) {
        result.path.emplace_back(static_cast<int>(i), static_cast<int>(j));
        result.distances.push_back(local[i * m + j]);
        if (i == 0 && j == 0) {
            break;
        }
        switch (step[i * m + j]) {
        case 0:
            --i;
            --j;
            break;
        case 1:
            --i;
            break;
        default:
            --j;
            break;
        }
    }
    std::reverse(result.path.begin(), result.path.end());
    std::reverse(result.distances.begin(), result.distances.end());
    return result;
}

double ScoreFromCost(double cost) {
    if (std::isnan(cost) || std::isinf(cost)) {
        return 0;
    }
    return 100.0 * Closeness(cost);
}

VoiceComparison CompareVoices(const VoiceAnalysis& model, const VoiceAnalysis& learner) {
    VoiceComparison result;
    result.modelSpeech = model.speech && model.Frames() > 0;
    result.learnerSpeech = learner.speech && learner.Frames() > 0;
    result.modelSeconds = model.seconds;
    result.learnerSeconds = learner.seconds;
    result.modelEnvelope = model.envelope;
    result.modelPitch = model.pitch;
    const std::size_t n = model.Frames();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    result.learnerEnvelope.assign(n, 0.0f);
    result.learnerPitch.assign(n, nan);
    result.mismatch.assign(n, 1.0f);
    if (!result.modelSpeech || !result.learnerSpeech) {
        result.score = 0;
        result.verdict = Verdict::TryAgain;
        result.cost = std::numeric_limits<double>::infinity();
        return result;
    }

    const std::vector<Cepstrum> modelFeatures = ComparedFeatures(model, NeutralWarp);
    Alignment alignment;
    alignment.cost = std::numeric_limits<double>::infinity();
    for (std::size_t w = 0; w < VocalTractWarps.size(); ++w) {
        Alignment warped = AlignFrames(modelFeatures, ComparedFeatures(learner, w));
        if (warped.cost < alignment.cost) {
            alignment = std::move(warped);
        }
    }
    result.cost = alignment.cost;
    result.score = ScoreFromCost(alignment.cost);
    result.verdict = VerdictOf(result.score);

    // The learner's frames on the model's time axis: each model frame takes the mean of the
    // learner frames the path pairs it with.
    std::vector<float> envelope(n, 0.0f);
    std::vector<float> pitch(n, 0.0f);
    std::vector<float> distance(n, 0.0f);
    std::vector<int> pairs(n, 0);
    std::vector<int> voiced(n, 0);
    for (std::size_t k = 0; k < alignment.path.size(); ++k) {
        const auto i = static_cast<std::size_t>(alignment.path[k].first);
        const auto j = static_cast<std::size_t>(alignment.path[k].second);
        envelope[i] += learner.envelope[j];
        distance[i] += alignment.distances[k];
        ++pairs[i];
        if (!std::isnan(learner.pitch[j])) {
            pitch[i] += learner.pitch[j];
            ++voiced[i];
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (pairs[i] > 0) {
            result.learnerEnvelope[i] = envelope[i] / static_cast<float>(pairs[i]);
            result.mismatch[i] = 1.0f - Closeness(distance[i] / static_cast<float>(pairs[i]));
        }
        if (voiced[i] > 0) {
            result.learnerPitch[i] = pitch[i] / static_cast<float>(voiced[i]);
        }
    }
    return result;
}

} // namespace core
