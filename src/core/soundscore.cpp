// Goodness of pronunciation: the recording is aligned with the phones the word should have,
// and each phone's fit is set beside what a free phone loop (any phone, any order) hears over
// the same frames. A phone said right fits almost as well as the loop's best; a phone said as
// another loses by the difference, per frame, which does not depend on the voice as much as
// the fit itself does (a voice far from the model's loses on both sides alike).
#include "soundscore.h"

#include "phoneset.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace core {

namespace {

/// How many of the segment's frames lie within first..last.
int FramesWithin(const PhoneSegment& s, int first, int last) {
    return std::max(0, std::min(last, s.last) - std::max(first, s.first) + 1);
}

/// 100 up to a gap of free, then falling by exp(-(gap - free) / scale): the score a gap leaves.
double Falloff(double gap, double free, double scale) {
    return 100.0 * std::exp(-std::max(0.0, gap - free) / scale);
}

/// The loop's log-likelihood over frames first..last, each loop segment counted by the share
/// of its frames inside.
double LoopLikelihood(const std::vector<PhoneSegment>& loop, int first, int last) {
    double sum = 0;
    for (const PhoneSegment& s : loop) {
        const int inside = FramesWithin(s, first, last);
        if (inside > 0 && s.Frames() > 0) {
            sum += s.logLikelihood * inside / s.Frames();
        }
    }
    return sum;
}

/// The phone the loop gives most of frames first..last, and how many frames it has.
std::pair<std::string, int> MostHeard(const std::vector<PhoneSegment>& loop, int first, int last) {
    std::map<std::string, int> frames;
    for (const PhoneSegment& s : loop) {
        if (const int inside = FramesWithin(s, first, last); inside > 0) {
            frames[s.phone] += inside;
        }
    }
    std::pair<std::string, int> best{"", 0};
    for (const auto& [phone, count] : frames) {
        if (count > best.second) {
            best = {phone, count};
        }
    }
    return best;
}

/// The loop names silence "SIL"; a segment without a name is taken as silence too.
bool IsSilence(const std::string& phone) {
    return phone == SilencePhone || phone.empty();
}

PhoneGapNorm NormOf(const std::vector<PhoneGapNorm>& norms, std::string_view phone) {
    for (const PhoneGapNorm& n : norms) {
        if (n.phone == phone && n.spread > 0 && n.rivalSpread > 0) {
            return n;
        }
    }
    return {phone, 0, 1, 0, 1};
}

/// The frame where the last segment of a decoding starts: that segment has no score of its own.
int LastStart(const std::vector<PhoneSegment>& segments) {
    int start = 0;
    for (const PhoneSegment& s : segments) {
        start = std::max(start, s.first);
    }
    return start;
}

/// The loop's log-likelihood above the alignment's per frame the loop hears speech in, over the
/// frames both decodings score.
double WordGap(const std::vector<PhoneSegment>& aligned, const std::vector<PhoneSegment>& loop) {
    const int last = std::min(LastStart(aligned), LastStart(loop)) - 1;
    int speech = 0;
    for (const PhoneSegment& s : loop) {
        if (!IsSilence(s.phone)) {
            speech += FramesWithin(s, 0, last);
        }
    }
    if (speech == 0) {
        return 0;
    }
    return (LoopLikelihood(loop, 0, last) - LoopLikelihood(aligned, 0, last)) / speech;
}

/// The share of the frames the loop hears speech in that the alignment gives to silence: a
/// word said as another, longer one leaves much of its speech to the silence around the
/// expected phones.
double SpeechInPauses(const std::vector<PhoneSegment>& aligned,
                      const std::vector<PhoneSegment>& loop) {
    int speech = 0;
    int paused = 0;
    for (const PhoneSegment& s : loop) {
        if (IsSilence(s.phone)) {
            continue;
        }
        speech += s.Frames();
        for (const PhoneSegment& a : aligned) {
            if (IsSilence(a.phone)) {
                paused += FramesWithin(s, a.first, a.last);
            }
        }
    }
    return speech > 0 ? static_cast<double>(paused) / speech : 0.0;
}

/// What the alignment with the rivals put in each expected sound's place.
struct SaidInstead {
    bool holds = false;                      ///< it holds the expected sounds or their rivals
    std::vector<const PhoneSegment*> placed; ///< per sound; nullptr: the final left out
    const PhoneSegment* after = nullptr;     ///< a vowel after the final consonant
    std::vector<bool> variant;               ///< per sound: placed is its British variant
    /// Only the expected sounds, some of them said the British way (a vowel, an r left out).
    bool british = true;
};

bool IsRival(const std::string& expected, const std::string& said, bool last) {
    const std::vector<std::string_view> rivals = RivalPhones(expected, last);
    return std::find(rivals.begin(), rivals.end(), said) != rivals.end();
}

bool IsVariant(const std::string& expected, const std::string& said) {
    const std::vector<std::string_view> variants = VariantPhones(expected);
    return std::find(variants.begin(), variants.end(), said) != variants.end();
}

bool IsUnheard(const std::vector<RivalPair>& unheard, std::string_view phone,
               std::string_view rival) {
    return std::any_of(unheard.begin(), unheard.end(),
                       [&](const RivalPair& p) { return p.phone == phone && p.rival == rival; });
}

SaidInstead SaidInPlace(const std::vector<std::string>& expected,
                        const std::vector<PhoneSegment>& rivals) {
    SaidInstead said;
    std::vector<const PhoneSegment*> spoken;
    for (const PhoneSegment& s : rivals) {
        if (!IsSilence(s.phone)) {
            spoken.push_back(&s);
        }
    }
    if (spoken.empty() || expected.empty()) {
        return said;
    }
    const bool finalConsonant = expected.size() > 1 && !IsVowelPhone(expected.back());
    std::size_t next = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string* heard = next < spoken.size() ? &spoken[next]->phone : nullptr;
        const bool same = heard != nullptr && *heard == expected[i];
        const bool variant =
            heard != nullptr && expected.size() > 1 && IsVariant(expected[i], *heard);
        if (same || variant ||
            (heard != nullptr && IsRival(expected[i], *heard, i + 1 == expected.size()))) {
            said.placed.push_back(spoken[next++]);
            said.british = said.british && (same || variant);
        } else if (SilentBritishR(expected, i) || (i + 1 == expected.size() && finalConsonant)) {
            said.placed.push_back(nullptr);
            said.british = said.british && SilentBritishR(expected, i);
        } else {
            return said;
        }
        said.variant.push_back(variant);
    }
    if (next + 1 == spoken.size() && finalConsonant && IsVowelPhone(spoken[next]->phone)) {
        said.after = spoken[next++];
    }
    said.holds = next == spoken.size();
    return said;
}

/// The score a sound's gap to the loop leaves, against the usual gap of that phone said right.
double GapScore(double gap, const std::string& phone, const SoundCalibration& calibration) {
    const PhoneGapNorm norm = NormOf(calibration.phoneGaps, phone);
    return Falloff((std::max(0.0, gap) - norm.middle) / norm.spread, calibration.freeGap,
                   calibration.gapScale);
}

/// Caps the sound's score where the rivals' alignment says another phone was said in its place,
/// the final consonant was left out, or a vowel followed it: by how much better that fits the
/// frames than the expected phone.
void RivalVerdict(const PhoneSegment& segment, std::size_t i, const SaidInstead& said,
                  const std::vector<PhoneSegment>& aligned, const std::vector<PhoneSegment>& loop,
                  const std::vector<PhoneSegment>& rivals, const SoundCalibration& calibration,
                  SoundResult& sound) {
    const PhoneSegment* placed = said.placed[i];
    const PhoneSegment* after = sound.final ? said.after : nullptr;
    if (after != nullptr && after->Frames() < calibration.extraVowelFrames) {
        after = nullptr;
    }
    const bool variant = said.variant[i];
    if (variant) {
        // Said the British way: scored by how well the loop's hearing fits that vowel, where
        // that is better than the fit of the American one.
        const double gap =
            (LoopLikelihood(loop, placed->first, placed->last) - placed->logLikelihood) /
            placed->Frames();
        const double score = GapScore(gap, sound.phone, calibration);
        if (score > sound.score) {
            sound.score = score;
            sound.gap = gap;
            sound.fault = SoundFault::None;
            sound.heardAs.clear();
        }
    }
    const bool other = placed == nullptr || (placed->phone != sound.phone && !variant);
    if (placed != nullptr && other) {
        sound.rival = placed->phone;
    }
    if (!other && after == nullptr) {
        return;
    }
    if (placed != nullptr && after != nullptr && after->Frames() >= calibration.saidVowelFrames &&
        sound.score > calibration.faultCeiling) {
        sound.score = calibration.faultCeiling;
        sound.fault = SoundFault::ExtraVowel;
        sound.heardAs = after->phone;
        return;
    }
    int first = segment.first;
    int last = segment.last;
    for (const PhoneSegment* s : {placed, after}) {
        if (s != nullptr) {
            first = std::min(first, s->first);
            last = std::max(last, s->last);
        }
    }
    sound.rivalGap = (LoopLikelihood(rivals, first, last) - LoopLikelihood(aligned, first, last)) /
                     (last - first + 1);
    const PhoneGapNorm norm = NormOf(calibration.phoneGaps, sound.phone);
    const double gap = (std::max(0.0, sound.rivalGap) - norm.rivalMiddle) / norm.rivalSpread;
    double cap = Falloff(gap, calibration.rivalFreeGap, calibration.rivalGapScale);
    if (!sound.rival.empty() && IsUnheard(calibration.unheardRivals, sound.phone, sound.rival)) {
        cap = std::min(cap, calibration.unheardRivalCeiling);
    }
    if (cap >= sound.score) {
        return;
    }
    sound.score = cap;
    // As with the loop, what was said instead is named only where the sound is not close.
    if (cap >= CloseScore) {
        return;
    }
    if (placed == nullptr) {
        sound.fault = SoundFault::Dropped;
        sound.heardAs.clear();
    } else if (other) {
        sound.fault = SoundFault::Substituted;
        sound.heardAs = placed->phone;
    } else {
        sound.fault = SoundFault::ExtraVowel;
        sound.heardAs = after->phone;
    }
}

} // namespace

const std::vector<PhoneGapNorm>& LearnedPhoneGaps() {
    // Phone, middle and spread of the loop's gap, middle and spread of the rivals' gap. A wide
    // spread is a phone the model often hears otherwise even when said right (a d or a short h
    // lost beside its neighbours, a v taken for w), whose gaps say less. Learned before the
    // British vowels were accepted: learned again with them, the table is narrower for those
    // vowels and the figures on the tuning voices come out worse, so it stays.
    static const std::vector<PhoneGapNorm> gaps = {
        {"AA", 0.00, 0.63, 0.00, 0.38}, {"AE", 0.18, 0.84, 0.00, 0.65},
        {"AH", 0.27, 2.20, 0.00, 0.20}, {"AO", 0.00, 0.20, 0.00, 0.20},
        {"AW", 0.26, 2.79, 0.00, 0.20}, {"AY", 0.24, 0.90, 0.00, 0.20},
        {"B", 0.00, 0.97, 0.00, 0.20},  {"CH", 0.00, 1.78, 0.00, 0.20},
        {"D", 0.01, 3.56, 0.00, 2.20},  {"DH", 0.00, 0.46, 0.00, 0.20},
        {"EH", 0.58, 1.49, 0.23, 2.36}, {"ER", 0.00, 1.44, 0.00, 0.20},
        {"EY", 0.08, 1.31, 0.00, 0.20}, {"F", 0.04, 1.02, 0.00, 0.20},
        {"G", 1.26, 1.36, 0.00, 0.20},  {"HH", 0.16, 3.73, 0.00, 0.20},
        {"IH", 0.00, 1.23, 0.00, 0.26}, {"IY", 0.00, 0.59, 0.00, 0.20},
        {"JH", 0.00, 5.91, 0.00, 0.20}, {"K", 0.00, 1.18, 0.00, 0.20},
        {"L", 0.00, 1.39, 0.00, 0.20},  {"M", 0.00, 1.40, 0.00, 0.20},
        {"N", 0.05, 1.32, 0.00, 0.20},  {"NG", 0.54, 4.82, 0.41, 1.38},
        {"OW", 0.00, 0.20, 0.00, 0.20}, {"OY", 0.14, 1.23, 0.00, 0.20},
        {"P", 0.06, 1.68, 0.00, 0.20},  {"R", 0.00, 1.58, 0.00, 0.20},
        {"S", 0.11, 1.15, 0.00, 0.96},  {"SH", 0.00, 0.29, 0.00, 0.20},
        {"T", 0.00, 1.27, 0.00, 0.36},  {"TH", 0.00, 0.54, 0.00, 0.59},
        {"UH", 0.00, 0.34, 0.00, 0.20}, {"UW", 0.00, 0.36, 0.00, 0.20},
        {"V", 0.56, 2.66, 0.00, 1.99},  {"W", 0.00, 0.25, 0.00, 0.20},
        {"Y", 0.00, 0.30, 0.00, 0.20},  {"Z", 0.12, 1.42, 0.00, 1.06},
        {"ZH", 0.02, 1.57, 0.00, 0.32},
    };
    return gaps;
}

const std::vector<RivalPair>& LearnedUnheardRivals() {
    // Phone and rival, as "pronunciation_bench --tune" prints them: θ said as s, ð as d, z or
    // θ, l as r, n as ŋ, ʊ as uː, a final voiced consonant as its voiceless partner or the
    // reverse.
    static const std::vector<RivalPair> rivals = {
        {"B", "P"},   {"CH", "SH"}, {"DH", "D"}, {"DH", "Z"}, {"DH", "TH"}, {"G", "K"},
        {"JH", "CH"}, {"L", "R"},   {"N", "NG"}, {"P", "B"},  {"TH", "S"},  {"UH", "UW"},
    };
    return rivals;
}

int SoundResult::Rounded() const {
    return static_cast<int>(std::lround(std::clamp(score, 0.0, 100.0)));
}

int SoundScores::Rounded() const {
    return static_cast<int>(std::lround(std::clamp(score, 0.0, 100.0)));
}

SoundGrade GradeOf(double score) {
    if (score >= VeryGoodScore) {
        return SoundGrade::Good;
    }
    return score >= CloseScore ? SoundGrade::Close : SoundGrade::Wrong;
}

SoundScores ScoreSounds(const std::vector<std::string>& expected,
                        const std::vector<PhoneSegment>& aligned,
                        const std::vector<PhoneSegment>& loop,
                        const std::vector<PhoneSegment>& rivals,
                        const SoundCalibration& calibration) {
    SoundScores result;
    for (const std::string& phone : expected) {
        SoundResult sound;
        sound.phone = phone;
        sound.symbol = PhoneSymbol(phone);
        result.sounds.push_back(std::move(sound));
    }
    if (!result.sounds.empty()) {
        result.sounds.back().final = true;
    }
    std::vector<const PhoneSegment*> spoken;
    for (const PhoneSegment& s : aligned) {
        if (!IsSilence(s.phone)) {
            spoken.push_back(&s);
        }
    }
    bool matches = spoken.size() == expected.size() && !expected.empty();
    for (std::size_t i = 0; matches && i < spoken.size(); ++i) {
        matches = spoken[i]->phone == expected[i] && spoken[i]->Frames() > 0;
    }
    if (!matches) {
        result.worst = result.sounds.empty() ? -1 : 0;
        result.wordMissed = !result.sounds.empty();
        return result;
    }

    const SaidInstead said = SaidInPlace(expected, rivals);
    int recordingEnd = 0;
    for (const PhoneSegment& s : loop) {
        recordingEnd = std::max(recordingEnd, s.last);
    }
    for (const PhoneSegment& s : aligned) {
        recordingEnd = std::max(recordingEnd, s.last);
    }
    for (std::size_t i = 0; i < spoken.size(); ++i) {
        const PhoneSegment& segment = *spoken[i];
        SoundResult& sound = result.sounds[i];
        const double frames = segment.Frames();
        sound.gap =
            (LoopLikelihood(loop, segment.first, segment.last) - segment.logLikelihood) / frames;
        sound.score = GapScore(sound.gap, sound.phone, calibration);
        const auto [heard, heardFrames] = MostHeard(loop, segment.first, segment.last);
        const bool clearlyOther = !heard.empty() && heard != sound.phone &&
                                  heardFrames >= calibration.heardShare * frames;
        // A sound said alone (a lesson's symbol) has no final consonant to drop or to follow;
        // a final r after a vowel is not said in British English.
        const bool britishR = SilentBritishR(expected, i);
        if (sound.final && spoken.size() > 1 && !IsVowelPhone(sound.phone) && !britishR) {
            // A dropped final consonant leaves the aligner a few frames of silence to call it.
            if ((clearlyOther && IsSilence(heard) &&
                 segment.Frames() <= calibration.droppedFrames) ||
                segment.Frames() <= calibration.squeezedFrames) {
                sound.fault = SoundFault::Dropped;
                sound.score = std::min(sound.score, calibration.faultCeiling);
            } else {
                // A vowel after the final consonant: the loop hears one that starts inside or
                // after the consonant's frames and lasts long enough not to be its release.
                for (const PhoneSegment& s : loop) {
                    if (s.first > segment.first && s.first <= recordingEnd &&
                        IsVowelPhone(s.phone) && s.Frames() >= calibration.extraVowelFrames &&
                        s.last > segment.last) {
                        sound.fault = SoundFault::ExtraVowel;
                        sound.heardAs = s.phone;
                        sound.score = std::min(sound.score, calibration.faultCeiling);
                        break;
                    }
                }
            }
        }
        if (sound.fault == SoundFault::None && clearlyOther && !IsSilence(heard) &&
            sound.score < CloseScore) {
            sound.fault = SoundFault::Substituted;
            sound.heardAs = heard;
        }
        if (said.holds && said.placed[i] == nullptr && britishR) {
            // Left out the British way.
            sound.score = 100;
            sound.gap = 0;
            sound.fault = SoundFault::None;
            sound.heardAs.clear();
        } else if (said.holds) {
            RivalVerdict(segment, i, said, aligned, loop, rivals, calibration, sound);
        }
        sound.grade = GradeOf(sound.score);
    }

    double sum = 0;
    double lowest = 100;
    for (std::size_t i = 0; i < result.sounds.size(); ++i) {
        const double s = result.sounds[i].score;
        sum += s;
        if (result.worst < 0 || s < lowest) {
            lowest = s;
            result.worst = static_cast<int>(i);
        }
    }
    const double mean = sum / static_cast<double>(result.sounds.size());
    std::vector<double> scores;
    for (const SoundResult& sound : result.sounds) {
        scores.push_back(sound.score);
    }
    const std::size_t weakest = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::max(1, calibration.weakestCount)), 1, scores.size());
    std::partial_sort(scores.begin(), scores.begin() + static_cast<std::ptrdiff_t>(weakest),
                      scores.end());
    double weak = 0;
    for (std::size_t i = 0; i < weakest; ++i) {
        weak += scores[i] / static_cast<double>(weakest);
    }
    result.score = calibration.meanWeight * mean + (1.0 - calibration.meanWeight) * weak;
    // A lesson's symbol said alone (one sound, or consonants without a vowel such as ts) comes
    // with breath and pauses around it that are no other word.
    const bool word =
        expected.size() > 1 && std::any_of(expected.begin(), expected.end(),
                                           [](const auto& p) { return IsVowelPhone(p); });
    const auto gapOf = [&](const std::vector<PhoneSegment>& alignment) {
        return WordGap(alignment, loop) +
               (word ? calibration.pauseWeight * std::max(0.0, SpeechInPauses(alignment, loop) -
                                                                   calibration.pauseFreeShare)
                     : 0.0);
    };
    double wordGap = gapOf(aligned);
    // Said the British way, the word is the alignment with its British sounds.
    if (said.holds && said.after == nullptr && said.british) {
        wordGap = std::min(wordGap, gapOf(rivals));
    }
    const double wordCap = Falloff(wordGap, calibration.wordFreeGap, calibration.wordGapScale);
    // Only where the word check alone fails the word: sounds that fail it themselves are named.
    result.wordMissed = wordCap < result.score && wordCap < CloseScore &&
                        result.sounds[static_cast<std::size_t>(result.worst)].score >= CloseScore;
    result.score = std::min(result.score, wordCap);
    result.verdict = VerdictOf(result.score);
    return result;
}

bool KeptAsVoiceSample(const SoundScores& scores) {
    return !scores.wordMissed && !scores.sounds.empty() && scores.score >= CloseScore &&
           std::none_of(scores.sounds.begin(), scores.sounds.end(),
                        [](const SoundResult& s) { return s.grade == SoundGrade::Wrong; });
}

SoundScores WithModelComparison(SoundScores sounds, double comparisonScore) {
    if (comparisonScore >= ModelMatchScore && comparisonScore > sounds.score) {
        sounds.score = std::min(comparisonScore, 100.0);
        sounds.verdict = VerdictOf(sounds.score);
        sounds.wordMissed = false;
    }
    return sounds;
}

} // namespace core
