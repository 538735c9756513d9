#include "pcmoutput.h"

#include "outputvolume.h"
#include "sounderror.h"

#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <unordered_set>

namespace sound {

namespace {

// How often queued samples are handed on and the end of a stream is looked for.
constexpr int FeedIntervalMs = 5;
// The device buffer: room for a whole word at once, so that a busy machine cannot starve it.
// Playing starts with the first samples, whatever the buffer's length.
constexpr int BufferMs = 1000;
// When the device never reports the end, a stream counts as played this long after the time
// its samples need, so that nobody waits for its end forever.
constexpr qint64 EndGraceMs = 1500;
// A stopped sink is kept this long before it is deleted. Qt's PulseAudio sink starts a drain
// when the device runs dry and does not cancel it when the sink stops: the server's answer may
// still arrive after the stop and calls into the sink. By then the stream is long gone and
// no answer can come.
constexpr int RetireMs = 3000;

/// The stopped sinks waiting out RetireMs. Those still waiting when the program ends are left
/// to the exit on purpose; this set, never freed, says so to the leak checker.
std::unordered_set<QAudioSink*>& RetiredSinks() {
    static auto* sinks = new std::unordered_set<QAudioSink*>;
    return *sinks;
}

} // namespace

PcmOutput::PcmOutput(OutputVolume* volume, QObject* parent) : QObject(parent), volume_(volume) {
    feed_.setInterval(FeedIntervalMs);
    feed_.setTimerType(Qt::PreciseTimer);
    connect(&feed_, &QTimer::timeout, this, [this] { Feed(true); });
    if (volume_ != nullptr) {
        connect(volume_, &OutputVolume::Changed, this, &PcmOutput::ApplyVolume);
    }
}

PcmOutput::~PcmOutput() {
    Stop();
}

void PcmOutput::Start(const QAudioFormat& format, const QString& what) {
    Stop();
    sinceStart_.start();
    QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        throw SoundError(core::Failure::SoundNoOutput, what);
    }
    format_ = format;
    // No parent, and deleted only through the event loop: the sink's platform part takes the
    // sink's parent as its own (a parent deleting its children would delete it twice), and
    // deleting a sink lets waiting events run, among them a deletion already asked for.
    sink_ = new QAudioSink(device, format);
    sink_->setBufferSize(format.bytesForDuration(BufferMs * 1000));
    ApplyVolume();
    io_ = sink_->start();
    if (io_ == nullptr || sink_->error() == QAudio::OpenError) {
        Stop();
        throw SoundError(core::Failure::SoundOutputOpen, what);
    }
    feed_.start();
}

void PcmOutput::Append(const QByteArray& samples) {
    if (sink_ == nullptr || samples.isEmpty()) {
        return;
    }
    finishing_ = false;
    if (pendingPos_ > 0 && pendingPos_ == pending_.size()) {
        pending_.clear();
        pendingPos_ = 0;
    }
    pending_.append(samples);
    Feed(false);
}

void PcmOutput::Finish() {
    if (sink_ == nullptr) {
        return;
    }
    finishing_ = true;
    Feed(false);
}

void PcmOutput::Stop() {
    feed_.stop();
    if (sink_ != nullptr) {
        sink_->disconnect(this);
        sink_->stop();
        QAudioSink* retired = sink_;
        RetiredSinks().insert(retired);
        QTimer::singleShot(RetireMs, retired, [retired] {
            RetiredSinks().erase(retired);
            retired->deleteLater();
        });
    }
    sink_ = nullptr;
    io_ = nullptr;
    pending_.clear();
    pendingPos_ = 0;
    written_ = 0;
    finishing_ = false;
    firstSampleNs_ = -1;
}

qint64 PcmOutput::WrittenUSecs() const {
    return format_.durationForBytes(written_);
}

void PcmOutput::Feed(bool fromTimer) {
    if (sink_ == nullptr) {
        return;
    }
    qint64 left = pending_.size() - pendingPos_;
    if (left > 0) {
        qint64 room = std::min<qint64>(left, sink_->bytesFree());
        // Whole frames only.
        int frame = std::max(1, format_.bytesPerFrame());
        room -= room % frame;
        if (room > 0) {
            qint64 n = io_->write(pending_.constData() + pendingPos_, room);
            if (n > 0) {
                if (written_ == 0) {
                    firstSampleNs_ = sinceStart_.nsecsElapsed();
                    sinceFirstWrite_.start();
                    emit FirstSample();
                }
                pendingPos_ += n;
                written_ += n;
                totalWritten_ += n;
            }
        }
        if (pendingPos_ == pending_.size()) {
            pending_.clear();
            pendingPos_ = 0;
        }
    }
    // The end is only ever seen from the timer, so Finished never comes from inside a call.
    if (!fromTimer || !finishing_ || pendingPos_ < pending_.size()) {
        return;
    }
    // All samples are with the device. An idle state, too, counts only once the samples have
    // had their time, as it may be left over from a gap between two pieces of speech.
    const StreamClock clock{WrittenUSecs(), sink_->processedUSecs(),
                            sink_->state() == QAudio::IdleState, sinceFirstWrite_.elapsed()};
    if (written_ == 0 || StreamSounded(clock, EndGraceMs)) {
        Stop();
        emit Finished();
    }
}

bool StreamSounded(const StreamClock& clock, qint64 graceMs) {
    const qint64 neededMs = clock.writtenUSecs / 1000;
    if (clock.elapsedMs > neededMs + graceMs) {
        return true;
    }
    return clock.elapsedMs >= neededMs &&
           (clock.processedUSecs >= clock.writtenUSecs || clock.idle);
}

void PcmOutput::ApplyVolume() {
    if (sink_ != nullptr && volume_ != nullptr) {
        sink_->setVolume(volume_->Gain());
    }
}

} // namespace sound
