// The score sound by sound on any file: what the wave reader takes (or the raw bytes as
// samples) is scored against a word without a crash, every sound gets a score from 0 to 100,
// the word's verdict follows its score, and a recording that cannot be scored says why. The
// same bytes as a word or as eSpeak NG phonemes give only phones of the model.
#include "core/pcmwave.h"
#include "core/phoneset.h"
#include "core/pronunciationscore.h"
#include "sound/phonescorer.h"

#include "fuzzcheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static sound::PhoneScorer scorer;
    const std::string_view bytes = fuzz::Text(data, size);
    core::PcmSound sound;
    if (!core::DecodePcmWave(bytes, sound)) {
        sound = core::PcmSound{};
        sound.rate = 16000;
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            sound.samples.push_back(static_cast<std::int16_t>(data[i] | data[i + 1] << 8));
        }
    }
    const std::vector<std::string> think{"TH", "IH", "NG", "K"};
    const sound::PhoneScoring scoring = scorer.Score(think, sound);
    FUZZ_CHECK(scoring.scores.sounds.size() == think.size());
    FUZZ_CHECK(scoring.scores.worst >= 0 && scoring.scores.worst < 4);
    FUZZ_CHECK(scoring.scores.score >= 0 && scoring.scores.score <= 100);
    FUZZ_CHECK(scoring.scores.verdict == core::VerdictOf(scoring.scores.score));
    for (const core::SoundResult& s : scoring.scores.sounds) {
        FUZZ_CHECK(s.score >= 0 && s.score <= 100);
        FUZZ_CHECK(s.heardAs.empty() || core::IsModelPhone(s.heardAs));
    }
    if (!scoring.status) {
        FUZZ_CHECK(scoring.status.what == core::Failure::SoundNoSpeech ||
                   scoring.status.what == core::Failure::PronunciationModel);
        FUZZ_CHECK(scoring.scores.score == 0);
    }

    const std::string text(bytes.substr(0, 64));
    std::vector<std::vector<std::string>> pronunciations = scorer.DictionaryPronunciations(text);
    pronunciations.push_back(core::PhonesOfEspeak(bytes));
    for (const auto& phones : pronunciations) {
        for (const std::string& phone : phones) {
            FUZZ_CHECK(core::IsModelPhone(phone) && phone != core::SilencePhone);
        }
    }
    return 0;
}
