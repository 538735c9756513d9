#include "qtengine.h"

#include "qtmediaplayer.h"
#include "qtvideoplayer.h"
#include "voice.h"

namespace sound {

QtEngine& QtEngine::Instance() {
    static QtEngine engine;
    return engine;
}

MediaPlayer* QtEngine::MakePlayer(QObject* parent, OutputVolume* volume) {
    return new QtMediaPlayer(parent, volume);
}

SpeechVoice* QtEngine::MakeVoice(QObject* parent, OutputVolume* volume) {
    return new Voice(parent, volume);
}

bool QtEngine::SynthesizeToMemory(const std::string& text, int speed, core::PcmSound& sound) {
    return Voice::SynthesizeToMemory(text, speed, sound);
}

std::string QtEngine::Phonemes(const std::string& text) {
    return Voice::Phonemes(text);
}

VideoPlayer* QtEngine::MakeVideoPlayer(QWidget* viewParent, QObject* parent) {
    return new QtVideoPlayer(viewParent, parent);
}

} // namespace sound
