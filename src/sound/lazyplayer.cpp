#include "lazyplayer.h"

#include "engine.h"
#include "outputvolume.h"

namespace sound {

LazyPlayer::LazyPlayer(QObject* parent, OutputVolume* volume)
    : MediaPlayer(parent), volume_(volume != nullptr ? volume : &OutputVolume::Instance()) {
}

LazyPlayer::~LazyPlayer() {
    // The engine's player is a child: it closes its device as it goes.
    delete real_;
}

MediaPlayer* LazyPlayer::Make(QObject* parent, OutputVolume* volume) {
    if (EngineLoaded()) {
        return LoadEngine()->MakePlayer(parent,
                                        volume != nullptr ? volume : &OutputVolume::Instance());
    }
    return new LazyPlayer(parent, volume);
}

bool LazyPlayer::Load() {
    if (real_ != nullptr) {
        return true;
    }
    Engine* engine = LoadEngine();
    if (engine == nullptr) {
        return false;
    }
    real_ = engine->MakePlayer(this, volume_);
    real_->SetFileName(fileName_);
    connect(real_, &MediaPlayer::Notify, this, &MediaPlayer::Notify);
    connect(real_, &MediaPlayer::Failed, this, &MediaPlayer::Failed);
    return true;
}

MediaPlayer& LazyPlayer::Real() {
    if (!Load()) {
        // Without the engine's libraries there is no output to open: a device failure, which the
        // windows report once in the run.
        throw SoundError(core::Status::Sound(core::Failure::SoundNoOutput, fileName_.toStdString(),
                                             0, EngineFailure().detail));
    }
    real_->SetPlayLimit(PlayLimit());
    return *real_;
}

void LazyPlayer::SetFileName(const QString& fileName) {
    fileName_ = fileName;
    if (real_ != nullptr) {
        real_->SetFileName(fileName);
    }
}

void LazyPlayer::Open() {
    Real().Open();
}

void LazyPlayer::Play() {
    Real().Play();
}

void LazyPlayer::Record() {
    Real().Record();
}

// Before the engine's player exists nothing is open: stopping, closing and saving have nothing
// to do, as on a player that was never opened.
void LazyPlayer::Stop() {
    if (real_ != nullptr) {
        real_->Stop();
    }
}

void LazyPlayer::Close() {
    if (real_ != nullptr) {
        real_->Close();
    }
}

void LazyPlayer::Save() {
    Real().Save();
}

} // namespace sound
