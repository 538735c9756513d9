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
    };
    return functions;
}

} // namespace sound
