#pragma once
#include "core/canceltoken.h"
#include "core/pcmwave.h"
#include "core/pronunciationscore.h"
#include "core/voiceanalysis.h"
#include "core/voicesamples.h"
#include "sound/lazyscorer.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace sound {
class UiWorker;
}

/// Compares the learner's recordings with a model pronunciation on a worker thread of its own,
/// so that the recording window's cycle never waits for it. The model is set when the word or
/// symbol is shown and analysed at once (a spoken model is made into samples in memory), so
/// that a recording, when it comes, only needs its own analysis. Results are delivered on the
/// thread that created the comparer (the interface thread) through Compared; a result that was
/// cancelled, or that belongs to an earlier request, is never delivered. Destroying the
/// comparer cancels what is queued and waits for the worker.
class VoiceComparer : public QObject {
    Q_OBJECT
public:
    /// Makes text into samples at a speech speed (program units); false when it cannot.
    using Synthesizer =
        std::function<bool(const std::string& text, int speed, core::PcmSound& sound)>;

    /// synthesize makes spoken models; empty means the speech engine's own.
    explicit VoiceComparer(Synthesizer synthesize = {}, QObject* parent = nullptr);
    ~VoiceComparer() override;
    VoiceComparer(const VoiceComparer&) = delete;
    VoiceComparer& operator=(const VoiceComparer&) = delete;

    /// The model is a sound file; part says which of it the learner repeats. A file that cannot
    /// be read or holds no speech (damaged) is replaced by fallbackText said by the speech
    /// engine at fallbackSpeed, when there is such a text.
    void SetModelFile(const QString& file, core::VoicePart part = core::VoicePart::Whole,
                      const std::string& fallbackText = {}, int fallbackSpeed = 0);
    /// The model is text said by the speech engine at speed.
    void SetModelSpeech(const std::string& text, int speed);
    /// No model: recordings are not compared.
    void ClearModel();
    /// The recordings that follow are also scored sound by sound against word (its sounds from
    /// the pronouncing dictionary, else from the speech engine); an empty word stops that.
    void SetExpectedWord(const std::string& word);
    /// ... or against lesson symbol k (1..48).
    void SetExpectedSymbol(int k);
    /// Where the acoustic model is read from (the installed one unless set).
    void SetPhoneModel(const sound::PhoneModelFiles& files);
    /// The learner's voice folder (see core::VoiceSamples; empty: none): the recordings of
    /// words said right (core::KeptAsVoiceSample) are kept there, the model is adapted to the
    /// learner's voice from them (on the worker, after a result is delivered) and scores with that
    /// adaptation from then on.
    void SetVoiceFolder(const std::string& folder);
    bool HasModel() const { return hasModel_; }

    /// Compares the recording in the wave file with the model. The file is read here, at once,
    /// so that the next recording may overwrite it; the work runs on the worker. False (and
    /// nothing follows) when there is no model or the file cannot be read.
    bool CompareFile(const QString& waveFile);
    /// Drops the comparisons not yet delivered; the model stays.
    void Cancel();
    /// True from CompareFile until its result is delivered or cancelled.
    bool Busy() const { return waiting_; }

signals:
    /// The latest recording scored sound by sound, just before its Compared; only when an
    /// expected word or symbol is set.
    void SoundsScored(const sound::PhoneScoring& scoring);
    /// The comparison of the latest recording with the model.
    void Compared(const core::VoiceComparison& comparison);

private:
    /// What the worker hands back for one recording.
    struct Result {
        core::VoiceComparison comparison;
        sound::PhoneScoring sounds;
        bool scored = false;
        bool adaptationDue = false; ///< the learner's voice is to be learned again
    };

    /// On the worker: keeps a recording scored right as a sample of the learner's voice; true
    /// when the model is due to be adapted again.
    bool KeepSample(const core::PcmSound& sound, const sound::PhoneScoring& scoring);
    /// On the worker: adapts the model to the learner's voice samples.
    void AdaptToVoice(const core::CancelToken& token);

    Synthesizer synthesize_;
    // Interface thread only.
    bool hasModel_ = false;
    bool waiting_ = false;      ///< a comparison was asked for and is not yet delivered
    core::CancelToken compare_; ///< the comparison asked for last

    // Worker only: the tasks run in the order asked, so a comparison sees the model set
    // before it.
    core::VoiceAnalysis model_;
    /// The expected sounds, each way the word may be said; empty: not scored.
    std::vector<std::vector<std::string>> pronunciations_;
    /// Opened at the first recording scored, on the worker, and kept for the next ones.
    std::unique_ptr<sound::LazyScorer> scorer_;
    /// The learner's voice samples; none without a voice folder.
    std::unique_ptr<core::VoiceSamples> voice_;
    /// The expected sounds are a word's (a lesson's symbol said alone teaches the model little).
    bool expectingWord_ = false;
    /// An adaptation failed (the trainer is missing, say): not tried again with this comparer.
    bool adaptationFailed_ = false;

    std::unique_ptr<sound::UiWorker> worker_; ///< last: stopped before the model goes
};
