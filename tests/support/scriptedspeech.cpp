#include "support/scriptedspeech.h"

namespace sound {

void ScriptedSpeech::SpeakText(const std::string& text) {
    texts_.push_back(text);
    if (speakingAfterSpeak_) {
        speaking_ = true;
    }
}

} // namespace sound
