#pragma once
#include "speechvoice.h"

#include <string>

namespace sound {

class OutputVolume;

/// The program's speech object: the engine's voice is made, with the sound engine loaded, at
/// Register or at the first text, whichever comes first. Its signals are this object's. When
/// the sound engine cannot be loaded, the engine counts as failed (SpeechEngine, reported once)
/// and every text as spoken.
class LazyVoice : public SpeechVoice {
    Q_OBJECT
public:
    explicit LazyVoice(QObject* parent = nullptr, OutputVolume* volume = nullptr);
    ~LazyVoice() override;

    bool Register() override;
    const core::Status& LastError() const override;
    void SpeakText(const std::string& text) override;
    bool IsSpeaking() const override;
    void SetSpeechSpeed(int speed) override;

    /// The engine's voice; null until it is made.
    SpeechVoice* Loaded() const { return real_; }

private:
    OutputVolume* volume_;
    SpeechVoice* real_ = nullptr;
    int speed_ = 150;
    bool failed_ = false;
    core::Status lastError_;
};

} // namespace sound
