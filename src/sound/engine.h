#pragma once
#include "core/pcmwave.h"
#include "core/status.h"

#include <string>

class QObject;
class QWidget;

namespace sound {

class MediaPlayer;
class OutputVolume;
class SpeechVoice;
class VideoPlayer;

/// What the sound layer makes with Qt Multimedia, eSpeak NG and the sound server. Those
/// libraries take longer to load than the sign-in window takes to draw, so the program opens
/// them with the sound module when sound is first needed (LoadEngine); tests and tools that
/// link the engine in hand it over with UseEngine.
class Engine {
public:
    virtual ~Engine() = default;

    /// A hidden media player following volume.
    virtual MediaPlayer* MakePlayer(QObject* parent, OutputVolume* volume) = 0;
    /// A speech engine, not yet started, playing through an output that follows volume.
    virtual SpeechVoice* MakeVoice(QObject* parent, OutputVolume* volume) = 0;
    /// Makes text (UTF-8) into samples in memory at speed (program units); callable from any
    /// thread. False when the speech engine cannot start or refuses the text.
    virtual bool SynthesizeToMemory(const std::string& text, int speed, core::PcmSound& sound) = 0;
    /// The speech engine's phonemes of text (UTF-8), for a word the pronouncing dictionary
    /// lacks; callable from any thread. Empty when the speech engine cannot start.
    virtual std::string Phonemes(const std::string& text) = 0;
    /// A video player whose view is a child of viewParent.
    virtual VideoPlayer* MakeVideoPlayer(QWidget* viewParent, QObject* parent) = 0;
};

/// The engine: the one UseEngine gave, else the sound module's, opened at the first call from
/// any thread. Null when the module cannot be opened; EngineFailure then says why.
Engine* LoadEngine();
/// True once the engine is there, without opening the module.
bool EngineLoaded();
/// Why the sound module could not be opened (file: the module, detail: the loader's text); ok
/// before the first LoadEngine and when it succeeded.
core::Status EngineFailure();
/// Makes engine the one LoadEngine returns, for programs that link the engine in.
void UseEngine(Engine* engine);
/// Makes text into samples with the engine (see Engine::SynthesizeToMemory); false without one.
bool SynthesizeToMemory(const std::string& text, int speed, core::PcmSound& sound);
/// The speech engine's phonemes of text (see Engine::Phonemes); empty without an engine.
std::string Phonemes(const std::string& text);

} // namespace sound
