#pragma once
#include "pcmwave.h"

#include <array>
#include <vector>

namespace core {

/// Every recording is brought to this rate before it is analysed, so that all are heard alike.
/// 16 kHz keeps the hiss of "s" and "f", which decides where a word starts and ends.
inline constexpr int AnalysisRate = 16000;
/// One analysis frame: 10 ms.
inline constexpr int AnalysisHop = AnalysisRate / 100;
/// Cepstral coefficients kept per frame (c0, the loudness, first).
inline constexpr int CepstrumSize = 13;

using Cepstrum = std::array<float, CepstrumSize>;

/// The cepstra are also made with the frequency axis stretched by these factors, as if the
/// speaker's vocal tract were shorter or longer: a child, a woman and a man say the same vowel
/// with formants up to a third apart. Entry NeutralWarp is the recording as it is.
inline constexpr std::array<float, 7> VocalTractWarps = {0.75f, 0.84f, 0.92f, 1.0f,
                                                         1.09f, 1.19f, 1.3f};
inline constexpr std::size_t NeutralWarp = 3;

/// What the comparison keeps of one recording: its voiced part, in frames of 10 ms, after the
/// silence around it was cut off and its loudness brought to a fixed level.
struct VoiceAnalysis {
    /// False when the recording holds nothing louder than the silence floor.
    bool speech = false;
    /// Where the voiced part begins in the recording, and how long it lasts.
    double startSeconds = 0;
    double seconds = 0;
    /// Mel-frequency cepstrum of each frame, once per entry of VocalTractWarps.
    std::array<std::vector<Cepstrum>, VocalTractWarps.size()> cepstra;
    /// Loudness of each frame, 0 to 1 (the loudest frame is 1).
    std::vector<float> envelope;
    /// Pitch of each frame in semitones above (below) the speaker's median pitch; NaN where the
    /// frame is unvoiced.
    std::vector<float> pitch;
    /// The speaker's median pitch in Hz (0 when no frame is voiced).
    float medianPitchHz = 0;
    /// Share of frames with a pitch.
    float voicedShare = 0;

    std::size_t Frames() const { return envelope.size(); }
};

/// Which part of a recording is analysed.
enum class VoicePart {
    /// Everything between the leading and the trailing silence.
    Whole,
    /// Only the first utterance: up to the first pause of a quarter second. A lesson's model
    /// sound says its symbol twice and then an example word; the learner says it once.
    FirstUtterance,
};

/// Recordings outside these rates are not analysed (no speech is found in them).
inline constexpr int MinAnalysedRate = 4000;
inline constexpr int MaxAnalysedRate = 192000;
/// Speech beyond this length is not analysed, which bounds the time and memory a comparison
/// takes whatever file it is given.
inline constexpr double MaxAnalysedSeconds = 10.0;

/// Analyses a recording (any rate, any number of channels). Safe to call from several threads.
VoiceAnalysis AnalyseVoice(const PcmSound& sound, VoicePart part = VoicePart::Whole);

/// The samples of sound as one channel at rate, -1 to 1 (windowed-sinc resampling).
std::vector<float> MonoAtRate(const PcmSound& sound, int rate);

} // namespace core
