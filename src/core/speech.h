#pragma once
#include <string>

namespace core {

/// What the program needs of a text-to-speech engine. The real one is the sound layer's
/// `Voice`; tests use a scripted one.
class Speech {
public:
    virtual ~Speech() = default;
    /// Speaks text without waiting; a text given while another sounds follows after it.
    virtual void SpeakText(const std::string& text) = 0;
    /// True while speech still sounds.
    virtual bool IsSpeaking() const = 0;
    /// Sets the speed in the program's units (150 is the normal speed).
    virtual void SetSpeechSpeed(int speed) = 0;
};

} // namespace core
