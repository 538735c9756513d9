// The pronunciation score on any sound: what the wave reader takes (or the raw bytes as
// samples) is analysed within its bounds, its traces are as long as its frames, it scores 100
// against itself when it holds speech and 0 when it does not, and between 0 and 100 against
// another recording.
#include "core/pcmwave.h"
#include "core/pronunciationscore.h"
#include "core/voiceanalysis.h"

#include "fuzzcheck.h"

#include <cmath>
#include <cstdint>

namespace {

/// Half a second of a vowel-like tone at 16 kHz, after a tenth of a second of silence.
core::PcmSound Tone() {
    core::PcmSound sound;
    sound.rate = 16000;
    sound.channels = 1;
    sound.samples.assign(1600, 0);
    for (int i = 0; i < 8000; ++i) {
        const double t = i / 16000.0;
        const double v = 0.3 * std::sin(2 * M_PI * 150 * t) + 0.2 * std::sin(2 * M_PI * 700 * t) +
                         0.1 * std::sin(2 * M_PI * 1200 * t * (1 + t));
        sound.samples.push_back(static_cast<std::int16_t>(v * 32767));
    }
    return sound;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    core::PcmSound sound;
    if (!core::DecodePcmWave(fuzz::Text(data, size), sound)) {
        sound = core::PcmSound{};
        sound.rate = 16000;
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            sound.samples.push_back(static_cast<std::int16_t>(data[i] | data[i + 1] << 8));
        }
    }
    const core::VoiceAnalysis voice = core::AnalyseVoice(sound);
    FUZZ_CHECK(voice.pitch.size() == voice.Frames());
    for (const auto& warped : voice.cepstra) {
        FUZZ_CHECK(warped.size() == voice.Frames());
    }
    FUZZ_CHECK(voice.speech || voice.Frames() == 0);
    FUZZ_CHECK(voice.seconds <= core::MaxAnalysedSeconds + 0.1);
    for (float e : voice.envelope) {
        FUZZ_CHECK(e >= 0.0f && e <= 1.0001f);
    }

    const core::VoiceComparison self = core::CompareVoices(voice, voice);
    FUZZ_CHECK(self.score == (voice.speech ? 100.0 : 0.0));

    static const core::VoiceAnalysis model = core::AnalyseVoice(Tone());
    const core::VoiceComparison c = core::CompareVoices(model, voice);
    FUZZ_CHECK(c.score >= 0.0 && c.score <= 100.0);
    FUZZ_CHECK(c.learnerEnvelope.size() == model.Frames());
    FUZZ_CHECK(c.learnerPitch.size() == model.Frames());
    for (float m : c.mismatch) {
        FUZZ_CHECK(m >= 0.0f && m <= 1.0f);
    }
    return 0;
}
