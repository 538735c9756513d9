#include "qtmediaplayer.h"

#include "pcmoutput.h"
#include "sounderror.h"

#include "sound/defaultinput.h"
#include <QAudioOutput>
#include <QAudioSource>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <cstring>

namespace sound {

namespace {

// The audio format that plays a wave file's samples; 24-bit samples are widened to 32 bits.
QAudioFormat FormatOf(const core::WaveInfo& info) {
    QAudioFormat f;
    f.setSampleRate(info.rate);
    f.setChannelCount(info.channels);
    if (info.formatTag == core::WaveFormatFloat) {
        f.setSampleFormat(QAudioFormat::Float);
    } else if (info.bits == 8) {
        f.setSampleFormat(QAudioFormat::UInt8);
    } else if (info.bits == 16) {
        f.setSampleFormat(QAudioFormat::Int16);
    } else {
        f.setSampleFormat(QAudioFormat::Int32);
    }
    return f;
}

QByteArray Widen24(const char* data, qsizetype size) {
    QByteArray out;
    out.resize(size / 3 * 4);
    char* o = out.data();
    for (qsizetype i = 0; i + 2 < size; i += 3, o += 4) {
        o[0] = 0;
        o[1] = data[i];
        o[2] = data[i + 1];
        o[3] = data[i + 2];
    }
    return out;
}

int BitsOf(const QAudioFormat& f) {
    return f.bytesPerSample() * 8;
}

int TagOf(const QAudioFormat& f) {
    return f.sampleFormat() == QAudioFormat::Float ? core::WaveFormatFloat : core::WaveFormatPcm;
}

} // namespace

QtMediaPlayer::QtMediaPlayer(QObject* parent, OutputVolume* volume)
    : MediaPlayer(parent), volume_(volume) {
    playWatch_.setSingleShot(true);
    connect(&playWatch_, &QTimer::timeout, this, &QtMediaPlayer::PlayTooLong);
    if (volume_ != nullptr) {
        connect(volume_, &OutputVolume::Changed, this, &QtMediaPlayer::ApplyVolume);
    }
}

QtMediaPlayer::~QtMediaPlayer() {
    try {
        Close();
    } catch (const std::exception&) {
        // Closing in the destructor must not throw; the file keeps what was written.
    }
}

void QtMediaPlayer::Fail(core::SoundFailure what, const QString& file) const {
    throw SoundError(what, file);
}

void QtMediaPlayer::SetFileName(const QString& fileName) {
    fileName_ = fileName;
}

void QtMediaPlayer::Open() {
    Close();
    const QString name = fileName_;
    if (name.isEmpty()) {
        Fail(core::Failure::SoundNoFileName, name);
    }
    QFileInfo info(name);
    if (!info.exists() || !info.isFile()) {
        Fail(core::Failure::SoundMissing, name);
    }
    // An empty file holds no sound of any kind: it is refused here, once, rather than by
    // the media device after the play has started.
    if (info.size() == 0) {
        Fail(core::Failure::SoundUnplayable, name);
    }
    if (info.suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            Fail(core::Failure::SoundOpen, name);
        }
        QByteArray bytes = file.readAll();
        auto wave = core::ParseWave(std::string_view(bytes.constData(), bytes.size()));
        if (wave) {
            waveInfo_ = *wave;
            const char* data = bytes.constData() + wave->dataOffset;
            auto size = static_cast<qsizetype>(wave->dataSize);
            waveBytes_ = wave->bits == 24 && wave->formatTag == core::WaveFormatPcm
                             ? Widen24(data, size)
                             : QByteArray(data, size);
            device_ = Device::Wave;
            openName_ = name;
            return;
        }
        // Compressed wave files go to the media device, which knows their codecs.
    }
    EnsureMediaPlayer();
    mediaFailed_ = false;
    media_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    device_ = Device::Media;
    openName_ = name;
}

void QtMediaPlayer::EnsureMediaPlayer() {
    if (media_ != nullptr) {
        return;
    }
    media_ = new QMediaPlayer(this);
    audioOutput_ = new QAudioOutput(this);
    media_->setAudioOutput(audioOutput_);
    if (videoOutput_ != nullptr) {
        media_->setVideoOutput(videoOutput_);
    }
    ApplyVolume();
    connect(media_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
        if (s == QMediaPlayer::EndOfMedia && mediaPlaying_) {
            mediaPlaying_ = false;
            emit Notify();
        }
    });
    connect(media_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error) {
        // The media device's own text is English and may come more than once for one file:
        // the file is reported once, as a failure the host words for the learner.
        if (!mediaFailed_) {
            mediaFailed_ = true;
            const core::SoundFailure what =
                error == QMediaPlayer::AccessDeniedError
                    ? core::SoundFailure(core::Failure::SoundOpen)
                    : core::SoundFailure(core::Failure::SoundUnplayable);
            emit Failed(core::Status::Sound(what, openName_.toStdString()));
        }
        // A play that cannot go on has ended: whoever waits for it goes on.
        if (mediaPlaying_) {
            mediaPlaying_ = false;
            playWatch_.stop();
            emit Notify();
        }
    });
}

void QtMediaPlayer::SetVideoOutput(QObject* output) {
    videoOutput_ = output;
    if (media_ != nullptr) {
        media_->setVideoOutput(output);
    }
}

void QtMediaPlayer::Play() {
    if (IsRecording()) {
        StopRecording();
    }
    switch (device_) {
    case Device::None:
        Fail(core::Failure::SoundNotOpen, fileName_);
    case Device::Wave: {
        if (!wave_) {
            wave_ = std::make_unique<PcmOutput>(volume_);
            connect(wave_.get(), &PcmOutput::Finished, this, [this] {
                wavePlaying_ = false;
                playWatch_.stop();
                emit Notify();
            });
        }
        wavePlaying_ = false;
        playWatch_.stop();
        wave_->Start(FormatOf(waveInfo_), openName_);
        wave_->Append(waveBytes_);
        wave_->Finish();
        wavePlaying_ = true;
        StartPlayWatch(core::WavePlayLimitMs(waveInfo_, PlayLimit()));
        break;
    }
    case Device::Media:
        mediaPlaying_ = false;
        playWatch_.stop();
        media_->stop();
        media_->setPosition(0);
        mediaPlaying_ = true;
        media_->play();
        StartPlayWatch(PlayLimit());
        break;
    }
}

void QtMediaPlayer::StartPlayWatch(qint64 limitMs) {
    if (limitMs > 0) {
        playWatch_.start(static_cast<int>(std::min<qint64>(limitMs, INT_MAX)));
    }
}

void QtMediaPlayer::PlayTooLong() {
    if (!IsPlaying()) {
        return;
    }
    const QString file = openName_;
    Stop();
    emit Failed(core::Status::Sound(core::Failure::SoundTooLong, file.toStdString()));
    emit Notify();
}

bool QtMediaPlayer::IsPlaying() const {
    return wavePlaying_ || mediaPlaying_;
}

void QtMediaPlayer::Stop() {
    playWatch_.stop();
    if (IsRecording()) {
        StopRecording();
    }
    if (wave_) {
        wave_->Stop();
    }
    wavePlaying_ = false;
    if (media_ != nullptr) {
        mediaPlaying_ = false;
        media_->stop();
    }
}

void QtMediaPlayer::Close() {
    Stop();
    if (recordPending_) {
        // An unsaved recording still leaves a wave file whose header states its real length.
        recordPending_ = false;
        (void)core::FinishWaveSizes(recordedName_.toStdString());
    }
    if (media_ != nullptr) {
        media_->setSource(QUrl());
    }
    device_ = Device::None;
    waveBytes_.clear();
    openName_.clear();
}

void QtMediaPlayer::Record() {
    if (device_ != Device::Wave) {
        Fail(core::Failure::SoundNoRecord, fileName_);
    }
    Stop();
    if (recordPending_) {
        recordPending_ = false;
        (void)core::FinishWaveSizes(recordedName_.toStdString());
    }
    QAudioDevice device = DefaultInputDevice();
    if (device.isNull()) {
        Fail(core::Failure::SoundNoInput, openName_);
    }
    // Record in the prepared file's format; a device that cannot deliver it records in its own
    // format, and the header is rewritten to say so.
    QAudioFormat format = FormatOf(waveInfo_);
    if (!device.isFormatSupported(format)) {
        format = device.preferredFormat();
    }
    recordFile_.setFileName(openName_);
    if (!recordFile_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Fail(core::Failure::SoundWrite, openName_);
    }
    auto header = core::WaveHeader(format.channelCount(), BitsOf(format), format.sampleRate(), 0,
                                   TagOf(format));
    if (recordFile_.write(reinterpret_cast<const char*>(header.data()), header.size()) !=
        static_cast<qint64>(header.size())) {
        recordFile_.close();
        Fail(core::Failure::SoundWrite, openName_);
    }
    // No parent, and deleted only through the event loop, for the reasons PcmOutput gives.
    source_ = new QAudioSource(device, format);
    recordFormat_ = format;
    recordedBytes_ = 0;
    firstRecordedNs_ = -1;
    sourceIo_ = source_->start();
    if (sourceIo_ == nullptr || source_->error() != QAudio::NoError) {
        source_->deleteLater();
        source_ = nullptr;
        sourceIo_ = nullptr;
        recordFile_.close();
        Fail(core::Failure::SoundInputOpen, openName_);
    }
    // The recording runs from here: connecting to the sound server is not part of it.
    recordClock_.start();
    connect(sourceIo_, &QIODevice::readyRead, this, &QtMediaPlayer::TakeRecorded);
    recordedName_ = openName_;
    recordPending_ = true;
    waveInfo_.channels = format.channelCount();
    waveInfo_.rate = format.sampleRate();
    waveInfo_.bits = BitsOf(format);
    waveInfo_.formatTag = TagOf(format);
}

qint64 QtMediaPlayer::RecordedTimeBytes() const {
    return recordFormat_.bytesForDuration(recordClock_.nsecsElapsed() / 1000);
}

void QtMediaPlayer::TakeRecorded() {
    if (sourceIo_ == nullptr) {
        return;
    }
    QByteArray chunk = sourceIo_->readAll();
    if (chunk.isEmpty()) {
        return;
    }
    // A sound server may hand over sound it had buffered before the recording began (the
    // headless one delivers seconds of it at once): only the newest part, as much as the
    // recording has lasted, is the learner's.
    const qint64 frame = std::max(1, recordFormat_.bytesPerFrame());
    qint64 excess = recordedBytes_ + chunk.size() - RecordedTimeBytes();
    if (excess > 0) {
        excess = (excess + frame - 1) / frame * frame;
        chunk.remove(0, std::min<qint64>(excess, chunk.size()));
    }
    if (chunk.isEmpty()) {
        return;
    }
    recordFile_.write(chunk);
    recordedBytes_ += chunk.size();
    if (firstRecordedNs_ < 0) {
        firstRecordedNs_ = recordClock_.nsecsElapsed();
        emit FirstRecordedSample();
    }
}

void QtMediaPlayer::StopRecording() {
    if (source_ == nullptr) {
        return;
    }
    TakeRecorded();
    const qint64 lasted = RecordedTimeBytes();
    sourceIo_->disconnect(this);
    source_->stop();
    source_->deleteLater();
    source_ = nullptr;
    sourceIo_ = nullptr;
    // The device hands over its sound with some delay; the part it still holds is filled with
    // silence, so that the recording lasts as long as it ran.
    if (recordedBytes_ < lasted) {
        const char silence = recordFormat_.sampleFormat() == QAudioFormat::UInt8 ? '\x80' : '\0';
        recordFile_.write(QByteArray(lasted - recordedBytes_, silence));
        recordedBytes_ = lasted;
    }
    recordFile_.close();
}

void QtMediaPlayer::Save() {
    StopRecording();
    if (!recordPending_) {
        return;
    }
    recordPending_ = false;
    core::Status status = core::FinishWaveSizes(recordedName_.toStdString());
    if (!status) {
        Fail(core::Failure::SoundWrite, recordedName_);
    }
    QString target = fileName_.isEmpty() ? recordedName_ : fileName_;
    if (QFileInfo(target).absoluteFilePath() != QFileInfo(recordedName_).absoluteFilePath()) {
        QFile::remove(target);
        if (!QFile::copy(recordedName_, target)) {
            Fail(core::Failure::SoundWrite, target);
        }
    }
}

void QtMediaPlayer::ApplyVolume() {
    if (audioOutput_ != nullptr && volume_ != nullptr) {
        audioOutput_->setVolume(static_cast<float>(volume_->Gain()));
    }
}

} // namespace sound
