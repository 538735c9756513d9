#include "voiceanalysis.h"

#include <aubio/aubio.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

namespace core {

namespace {

// Analysis window of the spectrum (32 ms) and of the pitch (64 ms, two periods of 30 Hz).
constexpr int SpectrumWindow = 512;
constexpr int PitchWindow = 1024;
// Mel filters between these frequencies (before warping): the band of the vowels' formants,
// which every source has (a telephone-band voice ends at 4 kHz, and the widest warp must stay
// below it).
constexpr int MelFilters = 24;
constexpr float MelLowHz = 100.0f;
constexpr float MelHighHz = 3000.0f;

// A frame is speech when it is no more than TrimRangeDb below the loudest frame and louder than
// the silence floor; a recording whose loudest frame stays under the floor holds no speech.
constexpr double SilenceFloorDb = -50.0;
constexpr double TrimRangeDb = 28.0;
// Frames kept before the first and after the last speech frame (the soft start of a word).
constexpr int TrimMarginFrames = 3;
// At least this many speech frames (60 ms) make speech; a click does not.
constexpr int MinSpeechFrames = 6;
// A pause this long (in frames) ends the first utterance.
constexpr int UtterancePauseFrames = 25;
// The loudness every recording is brought to (RMS of its speech frames).
constexpr double TargetRms = 0.1;

// Pitch: frames whose estimate is less sure than this, or outside the range of voices, count
// as unvoiced.
constexpr float MinPitchConfidence = 0.5f;
constexpr float MinPitchHz = 60.0f;
constexpr float MaxPitchHz = 500.0f;

// aubio is loaded when the first recording is analysed, not when the program starts: it
// brings the media libraries it was built with (FFmpeg among them), whose loading would slow
// every start of the program.
struct AubioLibrary {
    decltype(&::aubio_mfcc_do) aubio_mfcc_do = nullptr;
    decltype(&::aubio_mfcc_set_mel_coeffs) aubio_mfcc_set_mel_coeffs = nullptr;
    decltype(&::aubio_pitch_do) aubio_pitch_do = nullptr;
    decltype(&::aubio_pitch_get_confidence) aubio_pitch_get_confidence = nullptr;
    decltype(&::aubio_pitch_set_silence) aubio_pitch_set_silence = nullptr;
    decltype(&::aubio_pitch_set_unit) aubio_pitch_set_unit = nullptr;
    decltype(&::aubio_pvoc_do) aubio_pvoc_do = nullptr;
    decltype(&::del_aubio_mfcc) del_aubio_mfcc = nullptr;
    decltype(&::del_aubio_pitch) del_aubio_pitch = nullptr;
    decltype(&::del_aubio_pvoc) del_aubio_pvoc = nullptr;
    decltype(&::del_cvec) del_cvec = nullptr;
    decltype(&::del_fvec) del_fvec = nullptr;
    decltype(&::new_aubio_mfcc) new_aubio_mfcc = nullptr;
    decltype(&::new_aubio_pitch) new_aubio_pitch = nullptr;
    decltype(&::new_aubio_pvoc) new_aubio_pvoc = nullptr;
    decltype(&::new_cvec) new_cvec = nullptr;
    decltype(&::new_fvec) new_fvec = nullptr;
    bool loaded = false;
};

const AubioLibrary& Aubio() {
    static const AubioLibrary library = [] {
        AubioLibrary library;
        void* handle = dlopen(LJT_AUBIO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            return library;
        }
        bool found = true;
        auto Load = [&](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
            found = found && function != nullptr;
        };
        Load(library.aubio_mfcc_do, "aubio_mfcc_do");
        Load(library.aubio_mfcc_set_mel_coeffs, "aubio_mfcc_set_mel_coeffs");
        Load(library.aubio_pitch_do, "aubio_pitch_do");
        Load(library.aubio_pitch_get_confidence, "aubio_pitch_get_confidence");
        Load(library.aubio_pitch_set_silence, "aubio_pitch_set_silence");
        Load(library.aubio_pitch_set_unit, "aubio_pitch_set_unit");
        Load(library.aubio_pvoc_do, "aubio_pvoc_do");
        Load(library.del_aubio_mfcc, "del_aubio_mfcc");
        Load(library.del_aubio_pitch, "del_aubio_pitch");
        Load(library.del_aubio_pvoc, "del_aubio_pvoc");
        Load(library.del_cvec, "del_cvec");
        Load(library.del_fvec, "del_fvec");
        Load(library.new_aubio_mfcc, "new_aubio_mfcc");
        Load(library.new_aubio_pitch, "new_aubio_pitch");
        Load(library.new_aubio_pvoc, "new_aubio_pvoc");
        Load(library.new_cvec, "new_cvec");
        Load(library.new_fvec, "new_fvec");
        library.loaded = found;
        return library;
    }();
    return library;
}

// aubio plans its transforms with FFTW, whose planner must not run on two threads at once:
// making and freeing aubio objects holds this lock.
std::mutex& AubioMutex() {
    static std::mutex m;
    return m;
}

struct FvecDeleter {
    void operator()(fvec_t* v) const { Aubio().del_fvec(v); }
};
struct CvecDeleter {
    void operator()(cvec_t* v) const { Aubio().del_cvec(v); }
};
struct PvocDeleter {
    void operator()(aubio_pvoc_t* p) const {
        std::lock_guard<std::mutex> lock(AubioMutex());
        Aubio().del_aubio_pvoc(p);
    }
};
struct MfccDeleter {
    void operator()(aubio_mfcc_t* m) const {
        std::lock_guard<std::mutex> lock(AubioMutex());
        Aubio().del_aubio_mfcc(m);
    }
};
struct PitchDeleter {
    void operator()(aubio_pitch_t* p) const {
        std::lock_guard<std::mutex> lock(AubioMutex());
        Aubio().del_aubio_pitch(p);
    }
};
using Fvec = std::unique_ptr<fvec_t, FvecDeleter>;
using Cvec = std::unique_ptr<cvec_t, CvecDeleter>;

// Windowed-sinc resampling through a table of filter phases. The filter passes 95% of the
// lower Nyquist frequency; the table is kept per thread for the last pair of rates.
class Resampler {
public:
    Resampler(int inRate, int outRate) : inRate_(inRate), outRate_(outRate) {
        double ratio = std::min(1.0, static_cast<double>(outRate) / inRate);
        double cutoff = 0.5 * ratio * 0.95; // cycles per input sample
        double halfWidth = ZeroCrossings / (2.0 * cutoff);
        reach_ = static_cast<int>(std::ceil(halfWidth));
        int taps = 2 * reach_ + 2;
        table_.assign(static_cast<std::size_t>(Phases + 1) * taps, 0.0f);
        for (int p = 0; p <= Phases; ++p) {
            double frac = static_cast<double>(p) / Phases;
            double sum = 0;
            float* row = &table_[static_cast<std::size_t>(p) * taps];
            for (int k = 0; k < taps; ++k) {
                double t = (k - reach_) - frac;
                double x = 2.0 * cutoff * t;
                double sinc = std::abs(x) < 1e-9 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
                double w = std::abs(t) >= halfWidth
                               ? 0.0
                               : 0.42 + 0.5 * std::cos(M_PI * t / halfWidth) +
                                     0.08 * std::cos(2.0 * M_PI * t / halfWidth);
                row[k] = static_cast<float>(sinc * w);
                sum += sinc * w;
            }
            for (int k = 0; k < taps; ++k) {
                row[k] = static_cast<float>(row[k] / sum);
            }
        }
    }

    bool Fits(int inRate, int outRate) const { return inRate == inRate_ && outRate == outRate_; }

    std::vector<float> Run(const std::vector<float>& in) const {
        double step = static_cast<double>(inRate_) / outRate_;
        auto count = static_cast<std::size_t>(static_cast<double>(in.size()) / step);
        std::vector<float> out(count);
        int taps = 2 * reach_ + 2;
        auto n = static_cast<std::ptrdiff_t>(in.size());
        for (std::size_t o = 0; o < count; ++o) {
            double centre = static_cast<double>(o) * step;
            auto base = static_cast<std::ptrdiff_t>(std::floor(centre));
            auto phase =
                static_cast<int>(std::lround((centre - static_cast<double>(base)) * Phases));
            const float* row = &table_[static_cast<std::size_t>(phase) * taps];
            std::ptrdiff_t first = base - reach_;
            float acc = 0;
            if (first >= 0 && first + taps <= n) {
                const float* src = in.data() + first;
                for (int k = 0; k < taps; ++k) {
                    acc += row[k] * src[k];
                }
            } else {
                for (int k = 0; k < taps; ++k) {
                    std::ptrdiff_t i = first + k;
                    if (i >= 0 && i < n) {
                        acc += row[k] * in[static_cast<std::size_t>(i)];
                    }
                }
            }
            out[o] = acc;
        }
        return out;
    }

private:
    static constexpr int Phases = 128;
    static constexpr double ZeroCrossings = 8.0;
    int inRate_, outRate_;
    int reach_ = 0;
    std::vector<float> table_;
};

// Runs a hop-by-hop aubio analysis whose window lags behind its input, so that output f
// describes the window centred on frame f of the input.
template <typename Step>
void RunCentred(const std::vector<float>& signal, int window, std::size_t frames, Step step) {
    Fvec hop(Aubio().new_fvec(AnalysisHop));
    auto lag = static_cast<int>(
        std::lround(static_cast<double>(window - AnalysisHop) / (2 * AnalysisHop)));
    std::size_t blocks = frames + static_cast<std::size_t>(lag);
    for (std::size_t b = 0; b < blocks; ++b) {
        for (int i = 0; i < AnalysisHop; ++i) {
            std::size_t at = b * AnalysisHop + static_cast<std::size_t>(i);
            hop->data[i] = at < signal.size() ? signal[at] : 0.0f;
        }
        if (b >= static_cast<std::size_t>(lag)) {
            step(b - static_cast<std::size_t>(lag), hop.get());
        } else {
            step(std::numeric_limits<std::size_t>::max(), hop.get());
        }
    }
}

double Db(double meanSquare) {
    return 10.0 * std::log10(std::max(meanSquare, 1e-12));
}

} // namespace

std::vector<float> MonoAtRate(const PcmSound& sound, int rate) {
    std::vector<float> mono(sound.Frames());
    auto channels = static_cast<std::size_t>(std::max(1, sound.channels));
    float scale = 1.0f / (32768.0f * static_cast<float>(channels));
    for (std::size_t f = 0; f < mono.size(); ++f) {
        int sum = 0;
        for (std::size_t c = 0; c < channels; ++c) {
            sum += sound.samples[f * channels + c];
        }
        mono[f] = static_cast<float>(sum) * scale;
    }
    if (sound.rate <= 0 || sound.rate == rate) {
        return mono;
    }
    thread_local std::unique_ptr<Resampler> resampler;
    if (!resampler || !resampler->Fits(sound.rate, rate)) {
        resampler = std::make_unique<Resampler>(sound.rate, rate);
    }
    return resampler->Run(mono);
}

namespace {

// Loudness of each frame over two hops, in dB, to find where the speech lies.
std::vector<double> FrameLevels(const std::vector<float>& signal) {
    std::size_t frames = (signal.size() + AnalysisHop - 1) / AnalysisHop;
    std::vector<double> level(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        std::size_t from = f * AnalysisHop;
        std::size_t to = std::min(signal.size(), from + 2 * AnalysisHop);
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) {
            sum += static_cast<double>(signal[i]) * signal[i];
        }
        level[f] = Db(sum / static_cast<double>(std::max<std::size_t>(1, to - from)));
    }
    return level;
}

// The frames kept of a recording: the loud ones with a margin of silence either side.
struct SpeechSpan {
    std::size_t first = 0;
    std::size_t last = 0;
    double peak = 0;      ///< level of the loudest frame
    double threshold = 0; ///< frames from this level up count as loud

    bool Loud(double level) const { return level >= threshold; }
    std::size_t Frames() const { return last - first + 1; }
};

// Where the speech lies in the frames, or nothing when the recording holds too little of it.
std::optional<SpeechSpan> FindSpeech(const std::vector<double>& level, VoicePart which) {
    std::size_t frames = level.size();
    if (frames == 0) {
        return std::nullopt;
    }
    SpeechSpan span;
    span.peak = *std::max_element(level.begin(), level.end());
    span.threshold = std::max(span.peak - TrimRangeDb, SilenceFloorDb);
    auto loud = [&span](double l) { return span.Loud(l); };
    auto speechFrames = std::count_if(level.begin(), level.end(), loud);
    if (span.peak < SilenceFloorDb || speechFrames < MinSpeechFrames) {
        return std::nullopt;
    }
    auto firstLoud =
        static_cast<std::size_t>(std::find_if(level.begin(), level.end(), loud) - level.begin());
    auto lastLoud =
        frames - 1 -
        static_cast<std::size_t>(std::find_if(level.rbegin(), level.rend(), loud) - level.rbegin());
    if (which == VoicePart::FirstUtterance) {
        std::size_t quiet = 0;
        for (std::size_t f = firstLoud; f <= lastLoud; ++f) {
            if (loud(level[f])) {
                quiet = 0;
            } else if (++quiet == UtterancePauseFrames) {
                lastLoud = f - quiet;
                break;
            }
        }
    }
    lastLoud = std::min(lastLoud, firstLoud + static_cast<std::size_t>(MaxAnalysedSeconds * 100));
    span.first = firstLoud > TrimMarginFrames ? firstLoud - TrimMarginFrames : 0;
    span.last = std::min(frames - 1, lastLoud + TrimMarginFrames);
    return span;
}

// The samples of the span, brought to the common loudness (measured over its loud frames).
std::vector<float> NormalisedPart(const std::vector<float>& signal,
                                  const std::vector<double>& level, const SpeechSpan& span) {
    double sumSquares = 0;
    std::size_t counted = 0;
    for (std::size_t f = span.first; f <= span.last; ++f) {
        if (span.Loud(level[f])) {
            sumSquares += std::pow(10.0, level[f] / 10.0);
            ++counted;
        }
    }
    double gain = TargetRms / std::sqrt(sumSquares / static_cast<double>(counted));
    std::size_t begin = span.first * AnalysisHop;
    std::size_t end = std::min(signal.size(), (span.last + 1) * AnalysisHop);
    std::vector<float> part(signal.begin() + static_cast<std::ptrdiff_t>(begin),
                            signal.begin() + static_cast<std::ptrdiff_t>(end));
    for (float& s : part) {
        s = static_cast<float>(s * gain);
    }
    return part;
}

// The cepstrum of each of count frames, once per vocal-tract warp.
void Cepstra(const std::vector<float>& part, std::size_t count, VoiceAnalysis& result) {
    for (auto& warped : result.cepstra) {
        warped.resize(count);
    }
    std::unique_ptr<aubio_pvoc_t, PvocDeleter> pvoc;
    std::array<std::unique_ptr<aubio_mfcc_t, MfccDeleter>, VocalTractWarps.size()> mfcc;
    {
        std::lock_guard<std::mutex> lock(AubioMutex());
        pvoc.reset(Aubio().new_aubio_pvoc(SpectrumWindow, AnalysisHop));
        for (std::size_t w = 0; w < mfcc.size(); ++w) {
            mfcc[w].reset(
                Aubio().new_aubio_mfcc(SpectrumWindow, MelFilters, CepstrumSize, AnalysisRate));
            Aubio().aubio_mfcc_set_mel_coeffs(mfcc[w].get(), MelLowHz * VocalTractWarps[w],
                                              MelHighHz * VocalTractWarps[w]);
        }
    }
    Cvec spectrum(Aubio().new_cvec(SpectrumWindow));
    Fvec coeffs(Aubio().new_fvec(CepstrumSize));
    RunCentred(part, SpectrumWindow, count, [&](std::size_t f, fvec_t* hop) {
        Aubio().aubio_pvoc_do(pvoc.get(), hop, spectrum.get());
        if (f < count) {
            for (std::size_t w = 0; w < mfcc.size(); ++w) {
                Aubio().aubio_mfcc_do(mfcc[w].get(), spectrum.get(), coeffs.get());
                std::copy_n(coeffs->data, CepstrumSize, result.cepstra[w][f].begin());
            }
        }
    });
}

// The pitch of each of count frames in Hz; 0 where it is unvoiced or not trusted.
std::vector<float> PitchHz(const std::vector<float>& part, std::size_t count) {
    std::vector<float> hz(count, 0.0f);
    std::unique_ptr<aubio_pitch_t, PitchDeleter> pitch;
    {
        std::lock_guard<std::mutex> lock(AubioMutex());
        pitch.reset(Aubio().new_aubio_pitch("yinfast", PitchWindow, AnalysisHop, AnalysisRate));
    }
    Aubio().aubio_pitch_set_unit(pitch.get(), "Hz");
    Aubio().aubio_pitch_set_silence(pitch.get(), -45.0f);
    Fvec out(Aubio().new_fvec(1));
    RunCentred(part, PitchWindow, count, [&](std::size_t f, fvec_t* hop) {
        Aubio().aubio_pitch_do(pitch.get(), hop, out.get());
        if (f < count) {
            float estimate = out->data[0];
            if (Aubio().aubio_pitch_get_confidence(pitch.get()) >= MinPitchConfidence &&
                estimate >= MinPitchHz && estimate <= MaxPitchHz) {
                hz[f] = estimate;
            }
        }
    });
    return hz;
}

// The pitch in semitones around the speaker's median, with that median and the voiced share.
void PitchAroundMedian(const std::vector<float>& hz, VoiceAnalysis& result) {
    std::size_t count = hz.size();
    std::vector<float> voiced;
    for (float h : hz) {
        if (h > 0) {
            voiced.push_back(h);
        }
    }
    result.voicedShare = static_cast<float>(voiced.size()) / static_cast<float>(count);
    result.pitch.assign(count, std::numeric_limits<float>::quiet_NaN());
    if (!voiced.empty()) {
        std::nth_element(voiced.begin(),
                         voiced.begin() + static_cast<std::ptrdiff_t>(voiced.size() / 2),
                         voiced.end());
        result.medianPitchHz = voiced[voiced.size() / 2];
        for (std::size_t f = 0; f < count; ++f) {
            if (hz[f] > 0) {
                result.pitch[f] = 12.0f * std::log2(hz[f] / result.medianPitchHz);
            }
        }
    }
}

// The loudness of each frame of the span against the loudest.
std::vector<float> Envelope(const std::vector<double>& level, const SpeechSpan& span) {
    std::vector<float> envelope(span.Frames());
    for (std::size_t f = 0; f < envelope.size(); ++f) {
        envelope[f] =
            static_cast<float>(std::pow(10.0, (level[span.first + f] - span.peak) / 20.0));
    }
    return envelope;
}

} // namespace

VoiceAnalysis AnalyseVoice(const PcmSound& sound, VoicePart which) {
    VoiceAnalysis result;
    // Without aubio nothing can be heard: the comparison then says there is nothing to compare.
    if (sound.rate < MinAnalysedRate || sound.rate > MaxAnalysedRate || sound.channels <= 0 ||
        !Aubio().loaded) {
        return result;
    }
    const std::vector<float> signal = MonoAtRate(sound, AnalysisRate);
    const std::vector<double> level = FrameLevels(signal);
    const std::optional<SpeechSpan> span = FindSpeech(level, which);
    if (!span) {
        return result;
    }
    const std::vector<float> part = NormalisedPart(signal, level, *span);
    const std::size_t count = span->Frames();
    result.speech = true;
    result.startSeconds = static_cast<double>(span->first * AnalysisHop) / AnalysisRate;
    result.seconds = static_cast<double>(count) / 100.0;
    Cepstra(part, count, result);
    PitchAroundMedian(PitchHz(part, count), result);
    result.envelope = Envelope(level, *span);
    return result;
}

} // namespace core
