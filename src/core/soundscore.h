#pragma once
#include "pronunciationscore.h"

#include <string>
#include <string_view>
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
    /// The log-likelihood per frame that the phone loop found above the aligned phone.
    double gap = 0;
    /// The log-likelihood per frame that the rival said in its place (or the final consonant
    /// left out, or a vowel after it) fits above the phone; 0 when the phone itself was said.
    double rivalGap = 0;
    /// The rival that the rivals' alignment put in its place (empty where it put the phone
    /// itself, a British variant of it, or nothing).
    std::string rival;

    int Rounded() const;
};

/// A recording scored sound by sound.
struct SoundScores {
    std::vector<SoundResult> sounds;
    double score = 0; ///< 0..100, the word as a whole
    Verdict verdict = Verdict::TryAgain;
    /// The index of the weakest sound; -1 when there are no sounds.
    int worst = -1;
    /// The recording does not hold the word as a whole: its sounds could not be placed in
    /// order, or the speech heard fits them far worse than the sounds' own scores say (another
    /// word). The fault is then the word's, not one sound's.
    bool wordMissed = false;

    int Rounded() const;
};

/// How far a phone said right usually falls behind the phone loop (log-likelihood per frame):
/// the middle of its gaps and their spread above it, over right renditions of many words; the
/// same for the rivals said in its place.
struct PhoneGapNorm {
    std::string_view phone;
    double middle = 0;
    double spread = 1;
    double rivalMiddle = 0;
    double rivalSpread = 1;
};

/// The gaps of the model's phones said right, as the benchmark's tuning voices give them.
const std::vector<PhoneGapNorm>& LearnedPhoneGaps();

/// A phone and a rival of it.
struct RivalPair {
    std::string_view phone;
    std::string_view rival;
};

/// The rivals that the rivals' alignment never put in a phone's place when the phone was said
/// right, over the benchmark's tuning voices (phones said right at least 20 times there).
const std::vector<RivalPair>& LearnedUnheardRivals();

/// The constants that turn decodings into scores, in one place so that the benchmark can
/// measure them (the values are those "pronunciation_bench --tune" found on its tuning voices). A
/// sound's gap is the log-likelihood per frame that the free phone loop finds above the aligned
/// phone, less the middle gap of that phone said right and in units of its spread (phoneGaps);
/// up to freeGap costs nothing, beyond it the score falls by exp(-(gap - freeGap) / gapScale).
struct SoundCalibration {
    double freeGap = 0.3;
    double gapScale = 10;
    /// Each phone's usual gap; a phone not in it is taken as middle 0, spread 1.
    std::vector<PhoneGapNorm> phoneGaps = LearnedPhoneGaps();
    /// The word score: this share of the mean sound score, the rest from the mean of the
    /// weakestCount weakest sounds.
    double meanWeight = 0.6;
    int weakestCount = 2;
    /// The whole word: the loop's log-likelihood above the alignment's per frame of speech,
    /// over the whole recording (a word said as another often aligns its phones in pauses or
    /// squeezes them where the loop hears speech); up to wordFreeGap costs nothing, beyond it
    /// the word keeps at most 100 exp(-(gap - wordFreeGap) / wordGapScale).
    double wordFreeGap = 0.95;
    double wordGapScale = 0.15;
    /// The speech the loop hears where the alignment puts silence: beyond this share of it, each
    /// share counts pauseWeight times as much towards the whole word's gap.
    double pauseFreeShare = 0.3;
    double pauseWeight = 4;
    /// A rival said in a sound's place (or the final consonant left out, or a vowel after it):
    /// the rivals' alignment fits the sound's frames better than the expected phone by a gap
    /// per frame, measured like the loop's against the phone's usual rival gap (phoneGaps); up
    /// to rivalFreeGap without cost, beyond it the sound keeps at most
    /// 100 exp(-(gap - rivalFreeGap) / rivalGapScale). Below zero, a rival placed there costs
    /// a little even where it fits no better: two renditions that differ only in it are told
    /// apart.
    double rivalFreeGap = -0.3;
    double rivalGapScale = 1.5;
    /// A rival that right renditions never have in a phone's place (unheardRivals) was said
    /// where the rivals' alignment puts it, however little better it fits: the model tells
    /// the two apart by which it takes, more than by how much better. The sound then keeps at
    /// most unheardRivalCeiling.
    std::vector<RivalPair> unheardRivals = LearnedUnheardRivals();
    double unheardRivalCeiling = 40;
    /// The share of a sound's frames the loop must give one other phone to name it heard.
    double heardShare = 0.7;
    /// A vowel the loop hears after a final consonant counts from this many frames on.
    int extraVowelFrames = 4;
    /// A vowel the rivals' alignment puts after the final consonant for at least this many
    /// frames was said, however little better it fits: a consonant's release is shorter.
    int saidVowelFrames = 8;
    /// The score a sound keeps at most when it was dropped or a vowel followed it: none, since
    /// the timing shows such a fault plainly (a dropped consonant was not said at all), so that
    /// it is the sound the learner is told about.
    double faultCeiling = 0;
    /// A final consonant aligned to at most this many frames over silence was dropped.
    int droppedFrames = 4;
    /// A final consonant aligned to at most this many frames was dropped, whatever the loop
    /// hears there: the fewest the model allows a phone (one per state) or one more, where
    /// nothing of it was found (the end of a vowel cut short sounds like a stop's closure to
    /// the loop); a final consonant said, even a short stop, takes longer.
    int squeezedFrames = 4;
};

/// The grade of a sound score.
SoundGrade GradeOf(double score);

/// Scores the expected phones (no silence) of a word from the forced alignment of the
/// recording to them (its segments, silence included, in time order), the free phone loop's
/// decoding of the same recording and, when given, its alignment with the expected phones'
/// rivals (RivalPhones and, inside a word, VariantPhones in each place, the final consonant and
/// a SilentBritishR optional, a vowel allowed after the final consonant). Where the alignment
/// does not hold the expected phones in order, every sound scores 0.
SoundScores ScoreSounds(const std::vector<std::string>& expected,
                        const std::vector<PhoneSegment>& aligned,
                        const std::vector<PhoneSegment>& loop,
                        const std::vector<PhoneSegment>& rivals = {},
                        const SoundCalibration& calibration = {});

/// True when a recording scored so teaches the model the learner's voice: the word was heard
/// as a whole, at least "接近", and no sound of it was said wrong. A sound said wrong is left
/// out, so that the model does not learn a mistake as the learner's way of saying the sound.
bool KeptAsVoiceSample(const SoundScores& scores);

/// A recording that the comparison with the model's recording scores at least this high
/// matches the model frame by frame: the model's own pronunciation.
inline constexpr double ModelMatchScore = 95.0;

/// The word's score from its sounds and the comparison with the model's recording: the
/// sounds decide, except that a recording matching the model (ModelMatchScore) is never
/// judged below that match, whatever the acoustic model makes of the model's voice.
SoundScores WithModelComparison(SoundScores sounds, double comparisonScore);

} // namespace core
