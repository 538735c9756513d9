#pragma once
#include "soundscore.h"

#include <string>

namespace core {

/// A short hint in Chinese for a sound said wrong: what it sounded like and how to say it
/// ("θ 听起来像 s：舌尖放在上下齿之间"). The typical confusions of Chinese-speaking learners
/// get their own advice; any other sound a general one. Empty for a sound graded Good.
std::string SoundHint(const SoundResult& sound);

/// The hint for the recording as a whole: that it did not sound like the word at all
/// (SoundScores::wordMissed), or else the weakest sound's. Empty when there is nothing to mend.
std::string ScoresHint(const SoundScores& scores);

/// The scores in words, for the accessible description of the strip: the word's score and
/// verdict, each sound with its grade, and the hint for the weakest sound.
std::string DescribeSoundScores(const SoundScores& scores);

/// The verdict's words ("很好", "接近", "再试一次").
std::string VerdictWords(Verdict verdict);

} // namespace core
