#pragma once
#include "core/pcmwave.h"
#include "core/status.h"
#include "sound/phonescorer.h"

#include <functional>
#include <string>
#include <vector>

namespace sound {

struct ScorerFunctions;

/// Makes functions the scorer every LazyScorer uses, instead of the scorer module (programs
/// that link the scorer in).
void UseScorer(const ScorerFunctions* functions);

/// A PhoneScorer in the scorer module, which is opened at the first call that needs it. Used
/// as PhoneScorer is: by one thread at a time. When the module cannot be opened every call
/// fails with PronunciationModel naming it.
class LazyScorer {
public:
    explicit LazyScorer(PhoneModelFiles files = {});
    ~LazyScorer();
    LazyScorer(const LazyScorer&) = delete;
    LazyScorer& operator=(const LazyScorer&) = delete;

    /// As PhoneScorer::DictionaryPronunciations; empty without the module.
    std::vector<std::vector<std::string>> DictionaryPronunciations(const std::string& word);
    /// As PhoneScorer::ScoreBest.
    PhoneScoring Score(const std::vector<std::vector<std::string>>& pronunciations,
                       const core::PcmSound& recording);
    /// As PhoneScorer::Open.
    core::Status Open();
    /// As PhoneScorer::Adapt.
    core::Status Adapt(const std::vector<VoiceSample>& samples, const std::string& adaptationFile,
                       const std::function<bool()>& stop = {});
    /// As PhoneScorer::UseAdaptation.
    void UseAdaptation(const std::string& adaptationFile);

private:
    /// Opens the module and makes the scorer once; false when either failed.
    bool Ready();

    PhoneModelFiles files_;
    const ScorerFunctions* functions_ = nullptr;
    PhoneScorer* scorer_ = nullptr;
    core::Status failure_;
    bool tried_ = false;
};

} // namespace sound
