#pragma once
#include "engine.h"

namespace sound {

/// The real engine: QtMediaPlayer, Voice on eSpeak NG and QtVideoPlayer.
class QtEngine : public Engine {
public:
    /// The one engine of the process.
    static QtEngine& Instance();

    MediaPlayer* MakePlayer(QObject* parent, OutputVolume* volume) override;
    SpeechVoice* MakeVoice(QObject* parent, OutputVolume* volume) override;
    bool SynthesizeToMemory(const std::string& text, int speed, core::PcmSound& sound) override;
    std::string Phonemes(const std::string& text) override;
    VideoPlayer* MakeVideoPlayer(QWidget* viewParent, QObject* parent) override;
};

} // namespace sound
