#pragma once
#include "pronunciation.h"

#include <QString>

namespace sound {

class MediaPlayer;

/// The format every recording is prepared in.
inline constexpr int RecordChannels = 2;
inline constexpr int RecordBits = 16;
inline constexpr int RecordRate = 44100;

/// Creates or overwrites file with the 44-byte wave header and nothing else. Throws SoundError
/// naming the file when it cannot be created, written or closed.
void CreateWav(int channels, int bits, int rate, const QString& file);

/// Closes the player, prepares tempWav (2 channels, 16 bits, 44100 Hz) and starts recording
/// into it. On any failure hands SoundDeviceInit ("媒体设备初始化失败！") to message and returns
/// false; the mode then leaves its recording timer off.
bool StartRecording(MediaPlayer& player, const QString& tempWav, const MessageFn& message);

/// What FinishRecording managed.
struct RecordingEnd {
    bool saved = false;   ///< stop, save and close succeeded
    bool playing = false; ///< the recording plays back; Notify follows its end
};

/// Stops the recording, saves it (the header's sizes then match the file) and closes the
/// player; a failure there hands SoundSave ("保存声音文件出错!") to message and the playback is
/// still tried. Then tempWav is opened and played on the same player. setFileName: whether the file
/// name is set to tempWav before saving (the phonetic window keeps the name it opened, the same
/// file). A failed playback goes to message with its own failure and is never thrown, so that the
/// mode can end its recording phase.
RecordingEnd FinishRecording(MediaPlayer& player, const QString& tempWav, const MessageFn& message,
                             bool setFileName = true);

} // namespace sound
