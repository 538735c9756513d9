#include "support/scriptedplayer.h"

#include "sound/sounderror.h"

#include <QFileInfo>

namespace sound {

void ScriptedPlayer::FailOn(Op op, bool fail, core::SoundFailure failure) {
    if (fail) {
        failing_.insert_or_assign(op, failure);
    } else {
        failing_.erase(op);
    }
}

void ScriptedPlayer::Check(Op op, const char* name) {
    calls_ << QString::fromLatin1(name);
    const auto failing = failing_.find(op);
    if (failing != failing_.end()) {
        throw SoundError(failing->second, fileName_);
    }
}

void ScriptedPlayer::SetFileName(const QString& fileName) {
    calls_ << QStringLiteral("SetFileName ") + fileName;
    fileName_ = fileName;
}

void ScriptedPlayer::Open() {
    Check(Op::Open, "Open");
    if (missing_.contains(fileName_) || (checkFiles_ && !QFileInfo(fileName_).isFile())) {
        throw SoundError(core::Failure::SoundMissing, fileName_);
    }
    open_ = true;
}

void ScriptedPlayer::Play() {
    Check(Op::Play, "Play");
    if (!open_) {
        throw SoundError(core::Failure::SoundNotOpen, fileName_);
    }
    recording_ = false;
    played_ << fileName_;
    if (notifyOnPlay_) {
        emit Notify();
    }
}

void ScriptedPlayer::Stop() {
    Check(Op::Stop, "Stop");
    recording_ = false;
}

void ScriptedPlayer::Close() {
    Check(Op::Close, "Close");
    open_ = false;
    recording_ = false;
}

void ScriptedPlayer::Record() {
    Check(Op::Record, "Record");
    if (!open_) {
        throw SoundError(core::Failure::SoundNotOpen, fileName_);
    }
    recording_ = true;
}

void ScriptedPlayer::Save() {
    Check(Op::Save, "Save");
    recording_ = false;
}

} // namespace sound
