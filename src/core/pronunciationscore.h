#pragma once
#include "voiceanalysis.h"

#include <string>
#include <utility>
#include <vector>

namespace core {

/// What the score says in a word.
enum class Verdict {
    VeryGood, ///< "很好"
    Close,    ///< "接近"
    TryAgain, ///< "再试一次"
};

/// Scores at or above these thresholds earn VeryGood and Close.
inline constexpr double VeryGoodScore = 80.0;
inline constexpr double CloseScore = 50.0;

/// The verdict of a score.
Verdict VerdictOf(double score);

/// The learner's recording beside the model's, on the model's time axis.
struct VoiceComparison {
    /// 0 to 100; 100 for a recording compared with itself.
    double score = 0;
    Verdict verdict = Verdict::TryAgain;
    /// Mean distance of the aligned frames (0 for identical recordings).
    double cost = 0;
    /// False when either side holds no speech; the score is then 0.
    bool modelSpeech = false;
    bool learnerSpeech = false;
    double modelSeconds = 0;
    double learnerSeconds = 0;

    /// Per frame of the model: its loudness and the loudness of the learner's frames aligned
    /// with it (0 to 1), their pitch in semitones around each speaker's median (NaN where
    /// unvoiced), and how far the aligned frames differ (0 alike to 1 far apart).
    std::vector<float> modelEnvelope;
    std::vector<float> learnerEnvelope;
    std::vector<float> modelPitch;
    std::vector<float> learnerPitch;
    std::vector<float> mismatch;

    /// The score as a whole number (what the learner sees).
    int Rounded() const;
};

/// The alignment of two frame sequences by dynamic time warping.
struct Alignment {
    /// The cost along the best path divided by the lengths of both sequences.
    double cost = 0;
    /// The frame pairs (model, learner) along the best path, from the first to the last.
    std::vector<std::pair<int, int>> path;
    /// The distance of each pair on the path.
    std::vector<float> distances;
};

/// The features compared: the cepstrum made with the given entry of VocalTractWarps, without
/// its loudness term, with the mean of the recording taken off each coefficient.
std::vector<Cepstrum> ComparedFeatures(const VoiceAnalysis& voice, std::size_t warp);

/// Aligns a with b (features as ComparedFeatures makes them) by dynamic time warping; the
/// distances are measured against the mean distance of all pairs. An empty side gives an
/// infinite cost and no path.
Alignment AlignFrames(const std::vector<Cepstrum>& a, const std::vector<Cepstrum>& b);

/// Maps an alignment cost to 0..100: 100 at cost 0, falling smoothly and never reaching 0.
double ScoreFromCost(double cost);

/// Compares the learner's recording with the model's.
VoiceComparison CompareVoices(const VoiceAnalysis& model, const VoiceAnalysis& learner);

} // namespace core
