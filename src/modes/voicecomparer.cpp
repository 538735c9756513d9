#include "voicecomparer.h"

#include "sound/voice.h"

#include <QFile>
#include <QMetaObject>

#include <exception>

struct VoiceComparer::Job {
    enum class Kind { ModelFile, ModelSpeech, ClearModel, Compare } kind = Kind::Compare;
    std::string file;
    core::VoicePart part = core::VoicePart::Whole;
    std::string text;
    int speed = 0;
    std::string bytes; ///< the recording to compare
    unsigned generation = 0;
};

VoiceComparer::VoiceComparer(Synthesizer synthesize, QObject* parent)
    : QObject(parent), synthesize_(std::move(synthesize)) {
    if (!synthesize_) {
        synthesize_ = &sound::Voice::SynthesizeToMemory;
    }
    worker_ = std::thread([this] { WorkerLoop(); });
}

VoiceComparer::~VoiceComparer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

void VoiceComparer::SetModelFile(const QString& file, core::VoicePart part) {
    auto job = std::make_unique<Job>();
    job->kind = Job::Kind::ModelFile;
    job->file = file.toStdString();
    job->part = part;
    hasModel_ = true;
    Post(std::move(job));
}

void VoiceComparer::SetModelSpeech(const std::string& text, int speed) {
    auto job = std::make_unique<Job>();
    job->kind = Job::Kind::ModelSpeech;
    job->text = text;
    job->speed = speed;
    hasModel_ = true;
    Post(std::move(job));
}

void VoiceComparer::ClearModel() {
    auto job = std::make_unique<Job>();
    job->kind = Job::Kind::ClearModel;
    hasModel_ = false;
    Post(std::move(job));
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
    const QByteArray bytes = file.readAll();
    auto job = std::make_unique<Job>();
    job->kind = Job::Kind::Compare;
    job->bytes.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // Only the latest recording counts: an earlier one still queued or running is dropped.
    job->generation = ++generation_;
    waiting_ = true;
    Post(std::move(job));
    return true;
}

void VoiceComparer::Cancel() {
    ++generation_;
    waiting_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(jobs_,
                  [](const std::unique_ptr<Job>& job) { return job->kind == Job::Kind::Compare; });
    haveResult_ = false;
}

void VoiceComparer::Post(std::unique_ptr<Job> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void VoiceComparer::WorkerLoop() {
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
            if (quit_) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        core::VoiceComparison comparison;
        try {
            core::PcmSound sound;
            switch (job->kind) {
            case Job::Kind::ModelFile:
                // An unreadable model leaves no speech to compare with: every recording then
                // reports that there is no model.
                model_ = core::ReadPcmWave(job->file, sound) ? core::AnalyseVoice(sound, job->part)
                                                             : core::VoiceAnalysis{};
                continue;
            case Job::Kind::ModelSpeech:
                model_ = synthesize_(job->text, job->speed, sound) ? core::AnalyseVoice(sound)
                                                                   : core::VoiceAnalysis{};
                continue;
            case Job::Kind::ClearModel:
                model_ = core::VoiceAnalysis{};
                continue;
            case Job::Kind::Compare:
                if (!core::DecodePcmWave(job->bytes, sound)) {
                    sound = core::PcmSound{};
                }
                comparison = core::CompareVoices(model_, core::AnalyseVoice(sound));
                break;
            }
        } catch (const std::exception&) {
            // Out of memory on a huge file: the model is dropped, or the recording counts as
            // holding no speech.
            if (job->kind != Job::Kind::Compare) {
                model_ = core::VoiceAnalysis{};
                continue;
            }
            comparison = core::CompareVoices(model_, core::VoiceAnalysis{});
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            result_ = std::move(comparison);
            resultGeneration_ = job->generation;
            haveResult_ = true;
        }
        // Queued to the interface thread. Invoked by name, so that the call object is made and
        // freed inside the toolkit; the destructor, which waits for this thread, removes it
        // unrun.
        QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection);
    }
}

void VoiceComparer::Deliver() {
    core::VoiceComparison comparison;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!haveResult_ || resultGeneration_ != generation_) {
            return;
        }
        haveResult_ = false;
        comparison = std::move(result_);
    }
    waiting_ = false;
    emit Compared(comparison);
}
