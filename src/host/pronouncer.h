#pragma once
#include "modehost.h"

#include "core/status.h"
#include "sound/pronunciation.h"

#include <QSet>
#include <QString>
#include <string>

class MessageService;
class QTimer;
namespace core {
class Speech;
class StudyState;
} // namespace core
namespace sound {
class MediaPlayer;
}

/// How every mode sounds a word: its sound file where the sound index names one, else
/// speech, with the error guard that reports each sound failure once. It also runs the
/// speech that the main window watches (SpeakText and the end-of-speech watch on Timer3) and
/// the speech speed.
class Pronouncer {
public:
    /// voice and player may be null (no speech, no sound files: every word is spoken).
    Pronouncer(core::StudyState& state, MessageService& messages, core::Speech* voice,
               sound::MediaPlayer* player, QTimer* timer2, QTimer* timer3);

    /// ModeHost::Pronounce.
    sound::Pronunciation Pronounce(sound::PronounceVariant variant, const std::string& word,
                                   const PronounceOptions& options);
    /// Speaks text without waiting and starts Timer3 so that SpeechWatch sees its end.
    void SpeakText(const QString& text);
    /// Timer3: once speech has ended, ModelSoundPlaying := 0 and a running browse goes on.
    void SpeechWatch();
    /// Sets the speech speed; a running Timer2 is paused around the change.
    void SetSpeechSpeed(int speed);
    int SpeechSpeed() const { return speechSpeed_; }

    /// Shows a sound failure unless it has been shown before in this run (ModeHost's rule).
    void ReportSoundFailure(const core::Status& failure);

private:
    /// True the first time a failure is reported: a file's failure of one kind once, the
    /// devices' failures once in all.
    bool FirstSoundReport(const core::Status& failure);

    core::StudyState& state_;
    MessageService& messages_;
    core::Speech* voice_;
    sound::MediaPlayer* player_;
    QTimer* timer2_;
    QTimer* timer3_;
    int speechSpeed_ = 150;
    /// Sound failures shown so far: files once each, the devices once.
    QSet<QString> reportedSounds_;
    bool deviceFailureReported_ = false;
};
