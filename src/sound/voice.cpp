#include "voice.h"

#include "core/speechtext.h"
#include "core/volume.h"
#include "pcmoutput.h"
#include "sounderror.h"
#include "uiworker.h"

#include <espeak-ng/speak_lib.h>

#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QPointer>

#include <mutex>

namespace sound {

namespace {

// The engine is one per process and not thread-safe: every call into it holds this lock.
std::mutex& EngineMutex() {
    static std::mutex m;
    return m;
}
bool g_engineTried = false;
int g_sampleRate = -1;
// Set while this thread makes a text into memory: the engine calls back on the thread that
// asked it (synchronous output), so its samples go to this buffer and not to a Voice.
thread_local std::vector<std::int16_t>* t_memory = nullptr;

/// Starts the engine once per run (the caller holds EngineMutex). False when it cannot start.
bool StartEngine(const QString& dataPath);

// Samples are handed over in pieces of this length, so that speech starts before the whole
// text has been made.
constexpr int EngineBufferMs = 40;

} // namespace

/// What the engine's callback needs of the text being made: where its samples go.
struct Voice::Synthesis {
    Voice* voice;
    UiWorker* worker;
    core::CancelToken token;
    QPointer<QObject> context;
};

int VoiceSynthCallback(short* wav, int numsamples, void* user) {
    auto* synthesis = static_cast<Voice::Synthesis*>(user);
    if (synthesis == nullptr) {
        return 0;
    }
    if (synthesis->token.Cancelled()) {
        return 1; // the voice is going: the engine stops making this text
    }
    if (wav != nullptr && numsamples > 0) {
        QByteArray samples(reinterpret_cast<const char*>(wav),
                           static_cast<qsizetype>(numsamples) * 2);
        Voice* voice = synthesis->voice;
        synthesis->worker->Deliver(synthesis->token, synthesis->context,
                                   [voice, samples] { voice->ReceiveSamples(samples); });
    }
    return 0;
}

namespace {

int EngineCallback(short* wav, int numsamples, espeak_EVENT* events) {
    if (t_memory != nullptr) {
        if (wav != nullptr && numsamples > 0) {
            t_memory->insert(t_memory->end(), wav, wav + numsamples);
        }
        return 0;
    }
    void* user = nullptr;
    for (espeak_EVENT* e = events; e != nullptr; ++e) {
        user = e->user_data;
        if (user != nullptr || e->type == espeakEVENT_LIST_TERMINATED) {
            break;
        }
    }
    return VoiceSynthCallback(wav, numsamples, user);
}

bool StartEngine(const QString& dataPath) {
    if (!g_engineTried) {
        g_engineTried = true;
        QByteArray path = dataPath.toLocal8Bit();
        g_sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, EngineBufferMs,
                                         dataPath.isEmpty() ? nullptr : path.constData(),
                                         espeakINITIALIZE_DONT_EXIT);
        if (g_sampleRate > 0) {
            espeak_SetSynthCallback(EngineCallback);
        }
    }
    return g_sampleRate > 0;
}

bool SetEnglishVoice() {
    return espeak_SetVoiceByName("en-us") == EE_OK || espeak_SetVoiceByName("en") == EE_OK;
}

} // namespace

bool Voice::SynthesizeToMemory(const std::string& text, int speed, core::PcmSound& sound) {
    std::lock_guard<std::mutex> lock(EngineMutex());
    if (!StartEngine({}) || !SetEnglishVoice()) {
        return false;
    }
    // What SpeakText would say of it, so that the model is what the learner heard.
    const std::string spoken = core::SpokenText(text);
    std::vector<std::int16_t> samples;
    t_memory = &samples;
    espeak_SetParameter(espeakRATE, core::WordsPerMinuteFromSpeed(speed), 0);
    const espeak_ERROR made = espeak_Synth(spoken.c_str(), spoken.size() + 1, 0, POS_CHARACTER, 0,
                                           espeakCHARS_UTF8, nullptr, nullptr);
    t_memory = nullptr;
    if (made != EE_OK) {
        return false;
    }
    sound.samples = std::move(samples);
    sound.channels = 1;
    sound.rate = g_sampleRate;
    return true;
}

std::string Voice::Phonemes(const std::string& text) {
    std::lock_guard<std::mutex> lock(EngineMutex());
    if (!StartEngine({}) || !SetEnglishVoice()) {
        return {};
    }
    std::string phonemes;
    const void* at = text.c_str();
    // One clause per call: the engine moves at on to the next until the text is used up.
    while (at != nullptr) {
        const char* clause = espeak_TextToPhonemes(&at, espeakCHARS_UTF8, 0);
        if (clause == nullptr) {
            break;
        }
        if (!phonemes.empty()) {
            phonemes += ' ';
        }
        phonemes.append(clause);
    }
    return phonemes;
}

Voice::Voice(QObject* parent, OutputVolume* volume, QString dataPath)
    : SpeechVoice(parent), volume_(volume), dataPath_(std::move(dataPath)) {
}

Voice::~Voice() {
    // The worker is stopped and joined first, so that no sample comes after this point. The
    // samples and ends it handed over but that were not yet delivered go with it: the audio
    // sink runs the event loop while it is destroyed, and they must not reach a voice whose
    // output is going.
    worker_.reset();
    if (output_) {
        output_->disconnect(this);
        std::unique_ptr<PcmOutput> output = std::move(output_);
        output.reset();
    }
}

bool Voice::Register() {
    if (ready_) {
        return true;
    }
    if (failed_) {
        return false;
    }
    bool voiceSet = false;
    int sampleRate = 0;
    {
        std::lock_guard<std::mutex> lock(EngineMutex());
        // The first Register of the run starts the engine; later voices share it.
        if (StartEngine(dataPath_)) {
            voiceSet = SetEnglishVoice();
        }
        // Read here: a model made into memory on another thread may be starting it too.
        sampleRate = g_sampleRate;
    }
    if (sampleRate <= 0 || !voiceSet) {
        failed_ = true;
        lastError_ = core::Status::Sound(core::Failure::SpeechEngine, dataPath_.toStdString());
        emit EngineFailed(lastError_);
        return false;
    }
    sampleRate_ = sampleRate;
    output_ = std::make_unique<PcmOutput>(volume_);
    connect(output_.get(), &PcmOutput::Finished, this, &Voice::MaybeFinished);
    worker_ = std::make_unique<UiWorker>();
    ready_ = true;
    return true;
}

void Voice::SetSpeechSpeed(int speed) {
    speed_ = speed;
}

void Voice::SpeakText(const std::string& text) {
    if (!ready_ && !failed_) {
        Register();
    }
    // Without an engine the text counts as spoken at once, so that nobody waits for it.
    if (!ready_) {
        return;
    }
    ++textsInFlight_;
    speaking_ = true;
    lastSpokenText_ = core::SpokenText(text);
    const int wordsPerMinute = core::WordsPerMinuteFromSpeed(speed_);
    Synthesis synthesis{this, worker_.get(), {}, QPointer<QObject>(this)};
    worker_->Post(
        this,
        [synthesis, text = lastSpokenText_, wordsPerMinute](const core::CancelToken& token) {
            Synthesis own = synthesis;
            own.token = token;
            std::lock_guard<std::mutex> lock(EngineMutex());
            QElapsedTimer clock;
            clock.start();
            espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
            espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                         nullptr, &own);
            return clock.nsecsElapsed();
        },
        [this](qint64 synthesisNs) {
            lastSynthesisNs_ = synthesisNs;
            TextDone();
        });
}

void Voice::ReceiveSamples(QByteArray samples) {
    if (!output_ || outputBroken_) {
        return;
    }
    if (!output_->IsActive()) {
        QAudioFormat format;
        format.setSampleRate(sampleRate_);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        try {
            output_->Start(format, QStringLiteral("语音"));
        } catch (const SoundError& e) {
            // The texts still in the engine are made and dropped; the speech counts as ended.
            outputBroken_ = true;
            emit SpeechFailed(e.Failure());
            return;
        }
    }
    output_->Append(samples);
}

void Voice::TextDone() {
    if (!output_) {
        return;
    }
    --textsInFlight_;
    if (textsInFlight_ == 0 && output_->IsActive()) {
        output_->Finish();
    }
    MaybeFinished();
}

void Voice::MaybeFinished() {
    if (!output_ || !speaking_ || textsInFlight_ > 0 || output_->IsActive()) {
        return;
    }
    speaking_ = false;
    outputBroken_ = false;
    emit SpeakingFinished();
}

} // namespace sound
