#include "support/scriptedplayer.h"

#include "sound/sounderror.h"

#include <QFileInfo>

namespace sound {

void ScriptedPlayer::FailOn(Op op, bool fail) {
    if (fail) {
        failing_.insert(static_cast<int>(op));
    } else {
        failing_.remove(static_cast<int>(op));
    }
}

void ScriptedPlayer::Check(Op op, const char* name) {
    calls_ << QString::fromLatin1(name);
    if (failing_.contains(static_cast<int>(op))) {
        throw SoundError(
            QStringLiteral("%1 失败：%2").arg(QString::fromLatin1(name), fileName_).toStdString());
    }
}

void ScriptedPlayer::SetFileName(const QString& fileName) {
    calls_ << QStringLiteral("SetFileName ") + fileName;
    fileName_ = fileName;
}

void ScriptedPlayer::Open() {
    Check(Op::Open, "Open");
    if (missing_.contains(fileName_) || (checkFiles_ && !QFileInfo(fileName_).isFile())) {
        throw SoundError(QStringLiteral("找不到声音文件：%1").arg(fileName_).toStdString());
    }
    open_ = true;
}

void ScriptedPlayer::Play() {
    Check(Op::Play, "Play");
    if (!open_) {
        throw SoundError(QStringLiteral("声音设备未打开：%1").arg(fileName_).toStdString());
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
        throw SoundError(QStringLiteral("声音设备未打开：%1").arg(fileName_).toStdString());
    }
    recording_ = true;
}

void ScriptedPlayer::Save() {
    Check(Op::Save, "Save");
    recording_ = false;
}

} // namespace sound
