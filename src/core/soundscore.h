#pragma once
#include "pronunciationscore.h"

#include <string>
#include <vector>

namespace core {

/// One stretch of a decoding: a phone over frames first..last (10 ms each, both included) and
/// its acoustic log-likelihood (natural log, summed over the frames).
struct PhoneSegment {
    std::string phone;
    int first = 0;
    int last = 0;
    double logLikelihood = 0;

    int Frames() const { return last >= first ? last - first + 1 : 0; }
};

/// How a sound was said, as the strip colours it.
enum class SoundGrade {
    Good,  ///< at or above VeryGoodScore
    Close, ///< at or above CloseScore
    Wrong, ///< below CloseScore
};

/// What went wrong with a sound beyond its score.
enum class SoundFault {
    None,
    Substituted, ///< another phone was heard in its place (heardAs)
    Dropped,     ///< nothing was heard where the final consonant belongs
    ExtraVowel,  ///< a vowel (heardAs) was heard after the final consonant
};

/// One expected sound of the word and how the recording matched it.
struct SoundResult {
    std::string phone;  ///< the model phone expected ("TH")
    std::string symbol; ///< its phonetic symbol ("θ")
    double score = 0;   ///< 0..100
    SoundGrade grade = SoundGrade::Wrong;
    SoundFault fault = SoundFault::None;
    std::string heardAs; ///< the phone heard instead (empty when none clearly was)
    bool final = false;  ///< the last sound of the word

    int Rounded() const;
};

/// A recording scored sound by sound.
struct SoundScores {
    std::vector<SoundResult> sounds;
    double score = 0; ///< 0..100, the word as a whole
    Verdict verdict = Verdict::TryAgain;
    /// The index of the weakest sound; -1 when there are no sounds.
    int worst = -1;

    int Rounded() const;
};

/// The constants that turn decodings into scores, in one place so that the benchmark can
/// measure them (the values are those "pronunciation_bench --tune" found on its tuning voices). A
/// sound's gap is the log-likelihood per frame that the free phone loop finds above the aligned
/// phone, plus fitWeight times how far the aligned phone's own fit per frame falls below -fitFree
/// (the decoder measures each frame against its best state); up to freeGap costs nothing, beyond it
/// the score falls by exp(-(gap - freeGap) / gapScale).
struct SoundCalibration {
    double freeGap = 0.6;
    double gapScale = 3.5;
    double fitWeight = 0;
    double fitFree = 3;
    /// The word score: this share of the mean sound score, the rest from the weakest sound.
    double meanWeight = 0.6;
    /// The share of a sound's frames the loop must give one other phone to name it heard.
    double heardShare = 0.3;
    /// A vowel the loop hears after a final consonant counts from this many frames on.
    int extraVowelFrames = 4;
    /// The score a sound keeps at most when it was dropped or a vowel followed it.
    double faultCeiling = 20;
    /// A final consonant aligned to at most this many frames over silence was dropped.
    int droppedFrames = 4;
};

/// The grade of a sound score.
SoundGrade GradeOf(double score);

/// Scores the expected phones (no silence) of a word from the forced alignment of the
/// recording to them (its segments, silence included, in time order) and the free phone
/// loop's decoding of the same recording. Where the alignment does not hold the expected
/// phones in order, every sound scores 0.
SoundScores ScoreSounds(const std::vector<std::string>& expected,
                        const std::vector<PhoneSegment>& aligned,
                        const std::vector<PhoneSegment>& loop,
                        const SoundCalibration& calibration = {});

/// A recording that the comparison with the model's recording scores at least this high
/// matches the model frame by frame: the model's own pronunciation.
inline constexpr double ModelMatchScore = 95.0;

/// The word's score from its sounds and the comparison with the model's recording: the
/// sounds decide, except that a recording matching the model (ModelMatchScore) is never
/// judged below that match, whatever the acoustic model makes of the model's voice.
SoundScores WithModelComparison(SoundScores sounds, double comparisonScore);

} // namespace core
