#pragma once
#include "sound/mediaplayer.h"

#include "core/status.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <map>

namespace sound {

/// A media player for window tests: it plays nothing, records every call as text
/// ("SetFileName <name>", "Open", "Play", "Stop", "Close", "Record", "Save"), fails where it is
/// told to, and raises Notify when the test says so.
class ScriptedPlayer : public MediaPlayer {
    Q_OBJECT
public:
    /// The operations a test can make fail.
    enum class Op { Open, Play, Stop, Close, Record, Save };

    using MediaPlayer::MediaPlayer;

    void SetFileName(const QString& fileName) override;
    QString FileName() const override { return fileName_; }
    void Open() override;
    void Play() override;
    void Stop() override;
    void Close() override;
    void Record() override;
    void Save() override;

    /// Every call so far, in order.
    const QStringList& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    /// The files played so far, in order.
    const QStringList& Played() const { return played_; }

    /// Open fails for this file as for a missing one.
    void MarkMissing(const QString& fileName) { missing_.insert(fileName); }
    /// Open also fails for every file that is not on disk.
    void SetCheckFiles(bool check) { checkFiles_ = check; }
    /// Makes every later call of op throw SoundError with failure (until cleared).
    void FailOn(Op op, bool fail = true,
                core::SoundFailure failure = core::Failure::SoundUnplayable);
    /// Raises Notify at once after every Play.
    void SetNotifyOnPlay(bool on) { notifyOnPlay_ = on; }
    /// True after Open until Close.
    bool IsOpen() const { return open_; }
    /// True after Record until Stop or Close.
    bool IsRecording() const { return recording_; }
    /// Raises Notify as the end of a play would.
    void EmitNotify() { emit Notify(); }
    /// Reports a failure after Play as a broken file would: Failed, then Notify.
    void EmitFailed(const core::Status& failure) {
        emit Failed(failure);
        emit Notify();
    }

private:
    void Check(Op op, const char* name);

    QString fileName_;
    QStringList calls_;
    QStringList played_;
    QSet<QString> missing_;
    std::map<Op, core::SoundFailure> failing_;
    bool checkFiles_ = false;
    bool notifyOnPlay_ = false;
    bool open_ = false;
    bool recording_ = false;
};

} // namespace sound
