#pragma once
#include "core/status.h"

#include <QString>

#include <functional>
#include <string>

namespace core {
class SoundIndexFile;
class Speech;
} // namespace core

namespace sound {

class MediaPlayer;

/// Hands a failure to the window, which shows it through its message service (SoundDeviceInit
/// and SoundSave are the program's plain messages "媒体设备初始化失败！" and "保存声音文件出错!").
using MessageFn = std::function<void(const core::Status&)>;

/// The first character of text (a whole UTF-8 character, case unchanged); empty for "".
std::string FolderLetter(const std::string& text);
/// appDir + "/br/" + folderLetter + "/" + value, joined as written. appDir already ends in
/// "/", so the path holds a doubled separator, which the file system accepts.
QString SoundFilePath(const std::string& appDir, const std::string& folderLetter,
                      const std::string& value);
/// appDir + "br/g/good0001.wav", the sound that praises a right answer.
QString PraiseSound(const std::string& appDir);
/// appDir + "Temp.wav", the one recording file.
QString TempWav(const std::string& appDir);

/// Sets the player's file name to path, opens and plays it; returns without waiting. A file
/// that cannot be opened or played throws SoundError.
void PlayFile(MediaPlayer& player, const QString& path);

/// Where a word is pronounced: each mode looks the word up, finds the folder letter, tests for
/// the file and falls back in its own way.
enum class PronounceVariant {
    CardNext,    ///< flash card put up: letter of the entry, no existence test
    CardUnclear, ///< flash card "不清楚": the card's stored value, letter of that value
    Browse,      ///< browse: letter of the value, a missing file is spoken
    Recording,   ///< recording "朗读": letter of the entry, a missing file stays silent
    Spelling,    ///< spelling test: letter of the entry, no existence test
    ChoiceTest,  ///< choice test: letter of the entry, a missing file is spoken
};

/// What PronounceWord did.
enum class Pronounced {
    Spoken, ///< handed to the speech engine
    Played, ///< a sound file plays on the player; its Notify follows
    Silent, ///< the recording mode found no file: nothing sounds
    Failed, ///< the recording mode's player failed; SoundDeviceInit went to the message
};

/// The word to pronounce and the values its variant reads.
struct PronounceRequest {
    PronounceVariant variant = PronounceVariant::CardNext;
    /// The key looked up (the label's word trimmed, EntryWord, the tested word) and, unless
    /// spokenText is set, the text spoken.
    std::string word;
    /// CurrentEntry: its first character is the folder letter of most variants.
    std::string entry;
    /// "不清楚" only: the sound-index value read when the card was put up.
    std::string cardSoundFile;
    /// The text speech gets instead of word (browse speaks CurrentEntry, " word ").
    std::string spokenText;
};

/// The outcome, with the sound-index value read (flash cards keep it as CardSoundFile) and the
/// path built from it.
struct Pronunciation {
    Pronounced how = Pronounced::Spoken;
    std::string value;
    QString path;
    /// What failed when how is Failed.
    core::Status failure;
};

/// Pronounces a word: its sound file when the sound index names one, else speech. Variants
/// without an existence test let the player's failure (SoundError) out to the caller; the
/// recording variant reports its player's failures through message instead.
Pronunciation PronounceWord(const PronounceRequest& request, const std::string& appDir,
                            const core::SoundIndexFile& soundIndex, MediaPlayer& player,
                            core::Speech* speech, const MessageFn& message = {});

} // namespace sound
