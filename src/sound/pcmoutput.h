#pragma once
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QAudioSink;
class QIODevice;

namespace sound {

class OutputVolume;

/// Where a stream stands once all its samples are with the device.
struct StreamClock {
    qint64 writtenUSecs = 0;   ///< the duration of the samples written
    qint64 processedUSecs = 0; ///< what the device says it has played
    bool idle = false;         ///< the device has run dry
    qint64 elapsedMs = 0;      ///< wall time since the first sample was written
};

/// Whether a stream has sounded: the device has played its samples (or run dry after them),
/// and at least their own duration has passed since the first of them was written. The device's
/// word alone is not enough: Qt's PulseAudio sink adds the time since the server last reported
/// to what it says was played, so a report that comes late makes a stream played as soon as it
/// is written. A device that never tells counts as done a grace time after that duration.
bool StreamSounded(const StreamClock& clock, qint64 graceMs);

/// Plays raw samples through a QAudioSink at the program's output volume. Samples may arrive
/// in pieces (speech comes while it is being made); Finished is raised once the last sample of
/// a finished stream has been played.
class PcmOutput : public QObject {
    Q_OBJECT
public:
    explicit PcmOutput(OutputVolume* volume, QObject* parent = nullptr);
    ~PcmOutput() override;

    /// Opens the output for a new stream in format, dropping any earlier stream. Throws
    /// SoundError naming what when the device cannot be opened.
    void Start(const QAudioFormat& format, const QString& what);
    /// Queues samples of the current stream and hands what the device takes at once.
    void Append(const QByteArray& samples);
    /// No more samples follow for now; Finished comes when the queued ones have sounded. A
    /// later Append continues the same stream.
    void Finish();
    /// Ends the stream at once, without Finished.
    void Stop();

    /// True from Start until the stream has been played out or stopped.
    bool IsActive() const { return sink_ != nullptr; }
    /// The audio sink of the current stream (null when none), for checking its volume.
    QAudioSink* Sink() const { return sink_; }
    /// Bytes handed to the device since this output was made, over all its streams.
    qint64 TotalBytesWritten() const { return totalWritten_; }
    /// Nanoseconds between Start and the first sample handed to the device; -1 until then.
    qint64 StartToFirstSampleNs() const { return firstSampleNs_; }

signals:
    /// The first samples of a stream were handed to the device.
    void FirstSample();
    /// The last sample of a finished stream has been played.
    void Finished();

private:
    void Feed(bool fromTimer);
    void ApplyVolume();
    qint64 WrittenUSecs() const;

    OutputVolume* volume_;
    QAudioFormat format_;
    QAudioSink* sink_ = nullptr;
    QIODevice* io_ = nullptr;
    QByteArray pending_;
    qint64 pendingPos_ = 0;
    qint64 written_ = 0;
    qint64 totalWritten_ = 0;
    bool finishing_ = false;
    qint64 firstSampleNs_ = -1;
    QElapsedTimer sinceStart_;
    QElapsedTimer sinceFirstWrite_;
    QTimer feed_;
};

} // namespace sound
