#pragma once
#include "mediaplayer.h"
#include "outputvolume.h"

#include "core/waveheader.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <memory>
#include <optional>

class QAudioOutput;
class QAudioSource;
class QMediaPlayer;

namespace sound {

class OutputVolume;
class PcmOutput;

/// The real media player. The device follows the file type: a PCM or float ".wav" file plays
/// through the wave device (its samples straight to the audio output, which starts at once);
/// every other file plays through QMediaPlayer. Recording writes PCM from QAudioSource after
/// the header that CreateWav put into the file; Save makes the header's sizes match. A
/// recording holds exactly the time it ran: sound the server had buffered before Record is
/// dropped, and what the device has not yet delivered when it stops is filled with silence.
class QtMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit QtMediaPlayer(QObject* parent = nullptr,
                           OutputVolume* volume = &OutputVolume::Instance());
    ~QtMediaPlayer() override;

    void SetFileName(const QString& fileName) override;
    QString FileName() const override { return fileName_; }
    void Open() override;
    void Play() override;
    void Stop() override;
    void Close() override;
    void Record() override;
    void Save() override;

    /// Shows the picture of a video file in this output (a QVideoWidget or QVideoSink).
    void SetVideoOutput(QObject* output);

    /// True while a play has not yet ended.
    bool IsPlaying() const;
    /// True while recording.
    bool IsRecording() const { return source_ != nullptr; }
    /// The wave device's output (null when no wave file plays), for checking its volume.
    PcmOutput* WaveOutput() const { return wave_.get(); }
    /// The media device's audio output (null before a media file was opened).
    QAudioOutput* MediaAudioOutput() const { return audioOutput_; }
    /// The format the last recording was made in.
    QAudioFormat RecordedFormat() const { return recordFormat_; }
    /// Nanoseconds between Record and the first recorded sample written; -1 until then.
    qint64 RecordToFirstSampleNs() const { return firstRecordedNs_; }

signals:
    /// The first samples of a recording reached the file.
    void FirstRecordedSample();

private:
    enum class Device { None, Wave, Media };

    [[noreturn]] void Fail(core::SoundFailure what, const QString& file) const;
    void EnsureMediaPlayer();
    void StopRecording();
    void TakeRecorded();
    qint64 RecordedTimeBytes() const;
    void ApplyVolume();
    void StartPlayWatch(qint64 limitMs);
    void PlayTooLong();

    OutputVolume* volume_;
    QString fileName_;
    QString openName_;
    Device device_ = Device::None;
    // Wave device: the open file's samples.
    core::WaveInfo waveInfo_;
    QByteArray waveBytes_;
    std::unique_ptr<PcmOutput> wave_;
    bool wavePlaying_ = false;
    // Media device.
    QMediaPlayer* media_ = nullptr;
    QAudioOutput* audioOutput_ = nullptr;
    QObject* videoOutput_ = nullptr;
    bool mediaPlaying_ = false;
    bool mediaFailed_ = false; ///< the open media file has been reported as unplayable
    // Stops a play that has gone on longer than its file can need.
    QTimer playWatch_;
    // Recording.
    QAudioSource* source_ = nullptr;
    QIODevice* sourceIo_ = nullptr;
    QElapsedTimer recordClock_;
    qint64 recordedBytes_ = 0;
    qint64 firstRecordedNs_ = -1;
    QFile recordFile_;
    QString recordedName_;
    QAudioFormat recordFormat_;
    bool recordPending_ = false; ///< recorded but not yet saved
};

} // namespace sound
