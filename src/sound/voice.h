#pragma once
#include "core/pcmwave.h"
#include "core/status.h"
#include "outputvolume.h"
#include "speechvoice.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace sound {

class PcmOutput;
class UiWorker;

/// The speech engine (eSpeak NG). Text is made into samples on a worker thread of its own and
/// played through the program's audio output, so the output volume applies to speech too.
/// SpeakText returns at once; texts given while one sounds follow in order.
class Voice : public SpeechVoice {
    Q_OBJECT
public:
    /// dataPath: the engine's data folder; empty for the installed one.
    explicit Voice(QObject* parent = nullptr, OutputVolume* volume = &OutputVolume::Instance(),
                   QString dataPath = {});
    ~Voice() override;

    bool Register() override;
    /// Speaks text (UTF-8) without waiting; only its first core::MaxSpokenChars characters.
    void SpeakText(const std::string& text) override;
    /// True from SpeakText until the last sample of the last text has been played.
    bool IsSpeaking() const override { return speaking_; }
    /// Sets the speed in program units (150 normal) for the texts that follow.
    void SetSpeechSpeed(int speed) override;

    /// The program speed last set.
    int SpeechSpeed() const { return speed_; }
    /// True once Register has started the engine.
    bool IsReady() const { return ready_; }
    /// Why the engine could not start (a SpeechEngine failure naming the data folder, empty
    /// for the installed data); ok when it runs or has not been tried.
    const core::Status& LastError() const override { return lastError_; }
    /// The output that speech plays through (for checks of its volume and timing).
    PcmOutput* Output() const { return output_.get(); }
    /// The text last handed to the engine.
    const std::string& LastSpokenText() const { return lastSpokenText_; }
    /// How long the engine took to make the samples of the last text, in nanoseconds.
    qint64 LastSynthesisNs() const { return lastSynthesisNs_; }

    /// Makes text (UTF-8) into samples in memory at speed (program units), without playing
    /// them: the model of a word that has no sound file, for comparing the learner's voice
    /// with it. Starts the engine with its installed data when no voice has started it.
    /// Callable from any thread; waits while the engine makes another text. False when the
    /// engine cannot start or refuses the text.
    static bool SynthesizeToMemory(const std::string& text, int speed, core::PcmSound& sound);
    /// The engine's phoneme mnemonics of text (as its "-x" option writes them), for a word the
    /// pronouncing dictionary lacks. Callable from any thread, like SynthesizeToMemory; empty
    /// when the engine cannot start.
    static std::string Phonemes(const std::string& text);

private:
    struct Synthesis;

    void ReceiveSamples(QByteArray samples);
    void TextDone();
    void MaybeFinished();

    OutputVolume* volume_;
    QString dataPath_;
    std::unique_ptr<PcmOutput> output_;
    int sampleRate_ = 0;
    int speed_ = 150;
    bool ready_ = false;
    bool failed_ = false;
    bool speaking_ = false;
    bool outputBroken_ = false; ///< the output failed; the rest of this speech is dropped
    int textsInFlight_ = 0;     ///< texts given but not yet made into samples
    core::Status lastError_;
    std::string lastSpokenText_;
    qint64 lastSynthesisNs_ = 0;
    /// Makes the texts into samples, in turn; made by Register.
    std::unique_ptr<UiWorker> worker_;

    friend int VoiceSynthCallback(short*, int, void*);
};

} // namespace sound
