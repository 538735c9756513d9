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

/// The loop's log-likelihood over frames first..last, each loop segment counted by the share
/// of its frames inside.
double LoopLikelihood(const std::vector<PhoneSegment>& loop, int first, int last) {
    double sum = 0;
    for (const PhoneSegment& s : loop) {
        const int from = std::max(first, s.first);
        const int to = std::min(last, s.last);
        if (to >= from && s.Frames() > 0) {
            sum += s.logLikelihood * (to - from + 1) / s.Frames();
        }
    }
    return sum;
}

/// The phone the loop gives most of frames first..last, and how many frames it has.
std::pair<std::string, int> MostHeard(const std::vector<PhoneSegment>& loop, int first, int last) {
    std::map<std::string, int> frames;
    for (const PhoneSegment& s : loop) {
        const int from = std::max(first, s.first);
        const int to = std::min(last, s.last);
        if (to >= from) {
            frames[s.phone] += to - from + 1;
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

} // namespace

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
        return result;
    }

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
        const double gap = std::max(
            0.0,
            (LoopLikelihood(loop, segment.first, segment.last) - segment.logLikelihood) / frames);
        sound.score =
            100.0 * std::exp(-std::max(0.0, gap - calibration.freeGap) / calibration.gapScale);
        const auto [heard, heardFrames] = MostHeard(loop, segment.first, segment.last);
        const bool clearlyOther = !heard.empty() && heard != sound.phone &&
                                  heardFrames >= calibration.heardShare * frames;
        // A sound said alone (a lesson's symbol) has no final consonant to drop or to follow.
        if (sound.final && spoken.size() > 1 && !IsVowelPhone(sound.phone)) {
            // A dropped final consonant leaves the aligner a few frames of silence to call it.
            if (clearlyOther && IsSilence(heard) && segment.Frames() <= calibration.droppedFrames) {
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
    result.score = calibration.meanWeight * mean + (1.0 - calibration.meanWeight) * lowest;
    result.verdict = VerdictOf(result.score);
    return result;
}

SoundScores WithModelComparison(SoundScores sounds, double comparisonScore) {
    if (comparisonScore >= ModelMatchScore && comparisonScore > sounds.score) {
        sounds.score = std::min(comparisonScore, 100.0);
        sounds.verdict = VerdictOf(sounds.score);
    }
    return sounds;
}

} // namespace core
