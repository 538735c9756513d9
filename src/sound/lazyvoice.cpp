#include "lazyvoice.h"

#include "engine.h"
#include "outputvolume.h"

namespace sound {

LazyVoice::LazyVoice(QObject* parent, OutputVolume* volume)
    : SpeechVoice(parent), volume_(volume != nullptr ? volume : &OutputVolume::Instance()) {
}

LazyVoice::~LazyVoice() {
    // The engine's voice stops its worker before this object's signals go.
    delete real_;
}

bool LazyVoice::Register() {
    if (real_ != nullptr) {
        return real_->Register();
    }
    if (failed_) {
        return false;
    }
    Engine* engine = LoadEngine();
    if (engine == nullptr) {
        failed_ = true;
        const core::Status why = EngineFailure();
        lastError_ = core::Status::Sound(core::Failure::SpeechEngine, why.file, 0, why.detail);
        emit EngineFailed(lastError_);
        return false;
    }
    real_ = engine->MakeVoice(this, volume_);
    real_->SetSpeechSpeed(speed_);
    connect(real_, &SpeechVoice::EngineFailed, this, &SpeechVoice::EngineFailed);
    connect(real_, &SpeechVoice::SpeechFailed, this, &SpeechVoice::SpeechFailed);
    connect(real_, &SpeechVoice::SpeakingFinished, this, &SpeechVoice::SpeakingFinished);
    return real_->Register();
}

const core::Status& LazyVoice::LastError() const {
    return real_ != nullptr ? real_->LastError() : lastError_;
}

void LazyVoice::SpeakText(const std::string& text) {
    if (real_ == nullptr && !Register() && real_ == nullptr) {
        return; // no engine: the text counts as spoken
    }
    real_->SpeakText(text);
}

bool LazyVoice::IsSpeaking() const {
    return real_ != nullptr && real_->IsSpeaking();
}

void LazyVoice::SetSpeechSpeed(int speed) {
    speed_ = speed;
    if (real_ != nullptr) {
        real_->SetSpeechSpeed(speed);
    }
}

} // namespace sound
