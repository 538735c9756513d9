#include "recording.h"

#include "core/waveheader.h"
#include "mediaplayer.h"
#include "sounderror.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <exception>

namespace sound {

void CreateWav(int channels, int bits, int rate, const QString& file) {
    auto header = core::WaveHeader(channels, bits, rate);
    // Written whole and renamed over the old file, so that a failed write never leaves half a
    // header behind.
    QSaveFile out(file);
    bool ok = out.open(QIODevice::WriteOnly) &&
              out.write(reinterpret_cast<const char*>(header.data()), header.size()) ==
                  static_cast<qint64>(header.size()) &&
              out.commit();
    if (!ok) {
        throw SoundError(core::Failure::SoundCreate, file);
    }
}

bool StartRecording(MediaPlayer& player, const QString& tempWav, const MessageFn& message) {
    try {
        player.Close();
        QCoreApplication::processEvents();
        CreateWav(RecordChannels, RecordBits, RecordRate, tempWav);
        player.SetFileName(tempWav);
        player.Open();
        player.Record();
        return true;
    } catch (const std::exception& e) {
        if (message) {
            message(core::Status::Sound(core::Failure::SoundDeviceInit, tempWav.toStdString(), 0,
                                        e.what()));
        }
        return false;
    }
}

RecordingEnd FinishRecording(MediaPlayer& player, const QString& tempWav, const MessageFn& message,
                             bool setFileName) {
    RecordingEnd end;
    try {
        player.Stop();
        if (setFileName) {
            player.SetFileName(tempWav);
        }
        player.Save();
        player.Close();
        end.saved = true;
    } catch (const std::exception& e) {
        if (message) {
            message(
                core::Status::Sound(core::Failure::SoundSave, tempWav.toStdString(), 0, e.what()));
        }
    }
    try {
        player.SetFileName(tempWav);
        player.Open();
        player.Play();
        end.playing = true;
    } catch (const SoundError& e) {
        if (message) {
            message(e.Failure());
        }
    } catch (const std::exception& e) {
        if (message) {
            message(core::Status::Sound(core::Failure::SoundUnplayable, tempWav.toStdString(), 0,
                                        e.what()));
        }
    }
    return end;
}

} // namespace sound
