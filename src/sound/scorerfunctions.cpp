// Compiled into the scorer module and into the programs that link the scorer in (tests,
// tools): the table of its functions.
#include "sound/scorerfunctions.h"

namespace sound {

const ScorerFunctions& LinkedScorerFunctions() {
    static const ScorerFunctions functions{
        [](const PhoneModelFiles& files) { return new PhoneScorer(files); },
        [](PhoneScorer* scorer) { delete scorer; },
        [](PhoneScorer& scorer, const std::string& word) {
            return scorer.DictionaryPronunciations(word);
        },
        [](PhoneScorer& scorer, const std::vector<std::vector<std::string>>& pronunciations,
           const core::PcmSound& recording) { return scorer.ScoreBest(pronunciations, recording); },
        [](PhoneScorer& scorer) { return scorer.Open(); },
        [](PhoneScorer& scorer, const std::vector<VoiceSample>& samples,
           const std::string& adaptationFile, const std::function<bool()>& stop) {
            return scorer.Adapt(samples, adaptationFile, stop);
        },
        [](PhoneScorer& scorer, const std::string& adaptationFile) {
            scorer.UseAdaptation(adaptationFile);
        },
    };
    return functions;
}

} // namespace sound
