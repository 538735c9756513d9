#pragma once
#include "sounderror.h"

#include <QObject>
#include <QString>

namespace sound {

/// A hidden media player as the windows use it: it holds a file name, is opened on that file
/// (the device follows the file type), plays asynchronously and raises Notify when a play has
/// ended, and records into the open wave file. Every failing call throws sound::SoundError.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaPlayer() override = default;

    /// Sets the file the next Open works on.
    virtual void SetFileName(const QString& fileName) = 0;
    /// The file name last set.
    virtual QString FileName() const = 0;
    /// Opens the current file; an earlier file is closed first.
    virtual void Open() = 0;
    /// Plays the open file from the beginning and returns at once; Notify follows its end.
    virtual void Play() = 0;
    /// Stops a play or a recording.
    virtual void Stop() = 0;
    /// Releases the device and the file.
    virtual void Close() = 0;
    /// Starts recording into the open wave file and returns at once.
    virtual void Record() = 0;
    /// Writes the recorded sound to the current file name.
    virtual void Save() = 0;

    /// The longest the following plays may last (0: no limit of its own). A play that has
    /// not ended by then, or a wave file that has played longer than its samples can last
    /// (whatever its header says), is stopped and reported through Failed; Notify follows,
    /// so that a waiting mode goes on.
    void SetPlayLimit(int milliseconds) { playLimitMs_ = milliseconds; }
    int PlayLimit() const { return playLimitMs_; }

signals:
    /// A play has ended (its cause is not told).
    void Notify();
    /// A play failed after Play had returned (a broken file, a lost device); the failure
    /// names the file. Notify follows, so that a waiting mode goes on.
    void Failed(const core::Status& failure);

private:
    int playLimitMs_ = 0;
};

} // namespace sound
