#pragma once
#include "sound/phonescorer.h"

#include <functional>
#include <string>
#include <vector>

namespace sound {

/// What the scorer module offers: a scorer made, used and freed through plain functions, so
/// that a program opens PocketSphinx and the numeric libraries under it only when it first
/// scores a recording, and never to show a window or run another command.
struct ScorerFunctions {
    PhoneScorer* (*make)(const PhoneModelFiles& files);
    void (*destroy)(PhoneScorer* scorer);
    std::vector<std::vector<std::string>> (*dictionaryPronunciations)(PhoneScorer& scorer,
                                                                      const std::string& word);
    PhoneScoring (*score)(PhoneScorer& scorer,
                          const std::vector<std::vector<std::string>>& pronunciations,
                          const core::PcmSound& recording);
    core::Status (*open)(PhoneScorer& scorer);
    core::Status (*adapt)(PhoneScorer& scorer, const std::vector<VoiceSample>& samples,
                          const std::string& adaptationFile, const std::function<bool()>& stop);
    void (*useAdaptation)(PhoneScorer& scorer, const std::string& adaptationFile);
};

/// The functions of the scorer compiled into the calling file's program or module.
const ScorerFunctions& LinkedScorerFunctions();

} // namespace sound
