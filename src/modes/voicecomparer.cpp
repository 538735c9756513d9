#include "voicecomparer.h"

#include "sound/engine.h"
#include "sound/uiworker.h"

#include <QFile>

#include <exception>

VoiceComparer::VoiceComparer(Synthesizer synthesize, QObject* parent)
    : QObject(parent), synthesize_(std::move(synthesize)),
      worker_(std::make_unique<sound::UiWorker>()) {
    if (!synthesize_) {
        synthesize_ = &sound::SynthesizeToMemory;
    }
}

VoiceComparer::~VoiceComparer() {
    // The worker's tasks use the model and the synthesizer: it is stopped before they go.
    worker_.reset();
}

void VoiceComparer::SetModelFile(const QString& file, core::VoicePart part) {
    hasModel_ = true;
    worker_->Post([this, path = file.toStdString(), part](const core::CancelToken&) {
        // An unreadable model leaves no speech to compare with: every recording then reports
        // that there is no model.
        try {
            core::PcmSound sound;
            model_ = core::ReadPcmWave(path, sound) ? core::AnalyseVoice(sound, part)
                                                    : core::VoiceAnalysis{};
        } catch (const std::exception&) {
            model_ = core::VoiceAnalysis{}; // out of memory on a huge file
        }
    });
}

void VoiceComparer::SetModelSpeech(const std::string& text, int speed) {
    hasModel_ = true;
    worker_->Post([this, text, speed](const core::CancelToken&) {
        try {
            core::PcmSound sound;
            model_ =
                synthesize_(text, speed, sound) ? core::AnalyseVoice(sound) : core::VoiceAnalysis{};
        } catch (const std::exception&) {
            model_ = core::VoiceAnalysis{};
        }
    });
}

void VoiceComparer::ClearModel() {
    hasModel_ = false;
    worker_->Post([this](const core::CancelToken&) { model_ = core::VoiceAnalysis{}; });
}

bool VoiceComparer::CompareFile(const QString& waveFile) {
    if (!hasModel_) {
        return false;
    }
    QFile file(waveFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // A recording of the program is a few hundred kilobytes; anything far beyond that is not
    // one of its recordings and is not read into memory.
    constexpr qint64 MaxBytes = 64 * 1024 * 1024;
    if (file.size() > MaxBytes) {
        return false;
    }
    const QByteArray read = file.readAll();
    std::string bytes(read.constData(), static_cast<std::size_t>(read.size()));
    // Only the latest recording counts: an earlier one still queued or running is dropped.
    compare_.Cancel();
    waiting_ = true;
    compare_ = worker_->Post(
        this,
        [this, bytes = std::move(bytes)](const core::CancelToken& token) {
            if (token.Cancelled()) {
                return core::VoiceComparison{}; // not delivered: spare the analysis
            }
            try {
                core::PcmSound sound;
                if (!core::DecodePcmWave(bytes, sound)) {
                    sound = core::PcmSound{};
                }
                return core::CompareVoices(model_, core::AnalyseVoice(sound));
            } catch (const std::exception&) {
                // Out of memory on a huge file: the recording counts as holding no speech.
                return core::CompareVoices(model_, core::VoiceAnalysis{});
            }
        },
        [this](const core::VoiceComparison& comparison) {
            waiting_ = false;
            emit Compared(comparison);
        });
    return true;
}

void VoiceComparer::Cancel() {
    compare_.Cancel();
    waiting_ = false;
}
