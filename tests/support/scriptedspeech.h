#pragma once
#include "core/speech.h"

#include <string>
#include <vector>

namespace sound {

/// A speech engine for window tests: it keeps the texts it was given and the speed, and is
/// "speaking" exactly when the test says so.
class ScriptedSpeech : public core::Speech {
public:
    void SpeakText(const std::string& text) override;
    bool IsSpeaking() const override { return speaking_; }
    void SetSpeechSpeed(int speed) override { speed_ = speed; }

    /// The texts spoken so far, in order.
    const std::vector<std::string>& Texts() const { return texts_; }
    void ClearTexts() { texts_.clear(); }
    /// The speed last set (0 before any).
    int Speed() const { return speed_; }
    /// Sets what IsSpeaking answers.
    void SetSpeaking(bool speaking) { speaking_ = speaking; }
    /// Whether SpeakText makes IsSpeaking true (it does unless told otherwise).
    void SetSpeakingAfterSpeak(bool on) { speakingAfterSpeak_ = on; }

private:
    std::vector<std::string> texts_;
    int speed_ = 0;
    bool speaking_ = false;
    bool speakingAfterSpeak_ = true;
};

} // namespace sound
