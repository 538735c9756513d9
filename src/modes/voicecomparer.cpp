#include "voicecomparer.h"

#include "core/phoneset.h"
#include "core/textfile.h"
#include "sound/engine.h"
#include "sound/uiworker.h"

#include <QFile>

#include <algorithm>
#include <cmath>

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

void VoiceComparer::SetModelFile(const QString& file, core::VoicePart part,
                                 const std::string& fallbackText, int fallbackSpeed) {
    hasModel_ = true;
    worker_->Post([this, path = file.toStdString(), part, fallbackText,
                   fallbackSpeed](const core::CancelToken&) {
        // An unreadable model leaves no speech to compare with: the speech engine's rendering
        // stands in where there is a text to say, else every recording reports that there is
        // no model.
        try {
            core::PcmSound sound;
            model_ = core::ReadPcmWave(path, sound) ? core::AnalyseVoice(sound, part)
                                                    : core::VoiceAnalysis{};
            if (!model_.speech && !fallbackText.empty()) {
                core::PcmSound spoken;
                model_ = synthesize_(fallbackText, fallbackSpeed, spoken)
                             ? core::AnalyseVoice(spoken)
                             : core::VoiceAnalysis{};
            }
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
    worker_->Post([this](const core::CancelToken&) {
        model_ = core::VoiceAnalysis{};
        pronunciations_.clear();
    });
}

void VoiceComparer::SetExpectedWord(const std::string& word) {
    hasModel_ = hasModel_ || !word.empty();
    worker_->Post([this, word](const core::CancelToken&) {
        if (!scorer_) {
            scorer_ = std::make_unique<sound::LazyScorer>();
        }
        // The model opens when the first word is shown, as the model sound is analysed then:
        // the recording that follows does not wait for it. A failure is reported with it.
        (void)scorer_->Open();
        expectingWord_ = !word.empty();
        pronunciations_ = word.empty() ? std::vector<std::vector<std::string>>{}
                                       : scorer_->DictionaryPronunciations(word);
        if (pronunciations_.empty() && !word.empty()) {
            if (std::vector<std::string> phones = core::PhonesOfEspeak(sound::Phonemes(word));
                !phones.empty()) {
                pronunciations_.push_back(std::move(phones));
            }
        }
    });
}

void VoiceComparer::SetPhoneModel(const sound::PhoneModelFiles& files) {
    worker_->Post([this, files](const core::CancelToken&) {
        scorer_ = std::make_unique<sound::LazyScorer>(files);
    });
}

void VoiceComparer::SetVoiceFolder(const std::string& folder) {
    worker_->Post([this, folder](const core::CancelToken&) {
        if (voice_ != nullptr ? voice_->Folder() == folder : folder.empty()) {
            return;
        }
        voice_ = folder.empty() ? nullptr : std::make_unique<core::VoiceSamples>(folder);
        if (!scorer_) {
            scorer_ = std::make_unique<sound::LazyScorer>();
        }
        const std::string adaptation = voice_ != nullptr ? voice_->AdaptationPath() : std::string();
        scorer_->UseAdaptation(core::FileExists(adaptation) ? adaptation : std::string());
    });
}

bool VoiceComparer::KeepSample(const core::PcmSound& sound, const sound::PhoneScoring& scoring) {
    if (voice_ == nullptr || !expectingWord_ || !scoring.status ||
        !core::KeptAsVoiceSample(scoring.scores)) {
        return false;
    }
    std::vector<std::string> phones;
    for (const core::SoundResult& s : scoring.scores.sounds) {
        phones.push_back(s.phone);
    }
    // Kept at the decoder's rate, one channel: a third of a recording's size.
    constexpr int KeptRate = 16000;
    core::PcmSound kept;
    kept.rate = KeptRate;
    const std::size_t most = static_cast<std::size_t>(KeptRate * sound::MaxScoredSeconds);
    for (const float v : core::MonoAtRate(sound, KeptRate)) {
        if (kept.samples.size() == most) {
            break;
        }
        kept.samples.push_back(static_cast<std::int16_t>(
            std::lround(std::clamp(std::isfinite(v) ? v : 0.0f, -1.0f, 1.0f) * 32767.0f)));
    }
    // A sample that cannot be kept (a full disk) only teaches the model nothing.
    return voice_->Add(phones, kept) && !adaptationFailed_ && voice_->AdaptationDue();
}

void VoiceComparer::AdaptToVoice(const core::CancelToken& token) {
    if (voice_ == nullptr || !scorer_ || adaptationFailed_ || !voice_->AdaptationDue()) {
        return;
    }
    std::vector<sound::VoiceSample> samples;
    long last = 0;
    for (const core::VoiceSampleFile& file : voice_->Samples()) {
        sound::VoiceSample sample;
        sample.phones = file.phones;
        if (core::ReadPcmWave(file.path, sample.recording)) {
            samples.push_back(std::move(sample));
            last = file.number;
        }
    }
    const core::Status adapted =
        scorer_->Adapt(samples, voice_->AdaptationPath(), [&token] { return token.Cancelled(); });
    if (token.Cancelled()) {
        return;
    }
    // A failure leaves the model as it was; the learner's scores go on without adaptation.
    if (!adapted || !voice_->MarkAdapted(last)) {
        adaptationFailed_ = true;
        return;
    }
    scorer_->UseAdaptation(voice_->AdaptationPath());
}

void VoiceComparer::SetExpectedSymbol(int k) {
    hasModel_ = true;
    worker_->Post([this, k](const core::CancelToken&) {
        if (!scorer_) {
            scorer_ = std::make_unique<sound::LazyScorer>();
        }
        (void)scorer_->Open();
        expectingWord_ = false;
        pronunciations_.assign(1, core::LessonSymbolPhones(k));
    });
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
            Result result;
            if (token.Cancelled()) {
                return result; // not delivered: spare the analysis
            }
            core::PcmSound sound;
            try {
                if (!core::DecodePcmWave(bytes, sound)) {
                    sound = core::PcmSound{};
                }
                result.comparison = core::CompareVoices(model_, core::AnalyseVoice(sound));
            } catch (const std::exception&) {
                // Out of memory on a huge file: the recording counts as holding no speech.
                result.comparison = core::CompareVoices(model_, core::VoiceAnalysis{});
            }
            if (!pronunciations_.empty() && !pronunciations_.front().empty() && scorer_ &&
                !token.Cancelled()) {
                try {
                    result.sounds = scorer_->Score(pronunciations_, sound);
                    result.adaptationDue = KeepSample(sound, result.sounds);
                } catch (const std::exception&) {
                    result.sounds.status =
                        core::Status::Sound(core::Failure::SoundNoSpeech, {}, 0, "out of memory");
                }
                result.scored = true;
            }
            return result;
        },
        [this](const Result& result) {
            waiting_ = false;
            if (result.adaptationDue) {
                worker_->Post([this](const core::CancelToken& token) { AdaptToVoice(token); });
            }
            if (result.scored) {
                emit SoundsScored(result.sounds);
            }
            emit Compared(result.comparison);
        });
    return true;
}

void VoiceComparer::Cancel() {
    compare_.Cancel();
    waiting_ = false;
}
