#include "host/pronouncer.h"

#include "core/speech.h"
#include "core/studystate.h"
#include "core/waveheader.h"
#include "host/errortext.h"
#include "host/messageservice.h"
#include "sound/mediaplayer.h"
#include "sound/sounderror.h"

#include <QTimer>
#include <exception>

Pronouncer::Pronouncer(core::StudyState& state, MessageService& messages, core::Speech* voice,
                       sound::MediaPlayer* player, QTimer* timer2, QTimer* timer3)
    : state_(state), messages_(messages), voice_(voice), player_(player), timer2_(timer2),
      timer3_(timer3) {
}

void Pronouncer::SpeakText(const QString& text) {
    if (voice_ != nullptr) {
        voice_->SpeakText(text.toStdString());
    }
    timer3_->start();
}

void Pronouncer::SpeechWatch() {
    if (voice_ != nullptr && voice_->IsSpeaking()) {
        return;
    }
    state_.ModelSoundPlaying = 0;
    if (state_.BrowseRunning == 1) {
        timer2_->start();
    }
    timer3_->stop();
}

void Pronouncer::SetSpeechSpeed(int speed) {
    const bool browsing = timer2_->isActive();
    if (browsing) {
        timer2_->stop();
    }
    speechSpeed_ = speed;
    if (voice_ != nullptr) {
        voice_->SetSpeechSpeed(speed);
    }
    if (browsing) {
        timer2_->start();
    }
}

sound::Pronunciation Pronouncer::Pronounce(sound::PronounceVariant variant, const std::string& word,
                                           const PronounceOptions& options) {
    const std::string& spoken = options.spokenText.empty() ? word : options.spokenText;
    sound::MediaPlayer* player = options.player != nullptr ? options.player : player_;
    sound::Pronunciation result;
    if (player == nullptr) {
        // Without a player every word is spoken.
        if (variant != sound::PronounceVariant::CardUnclear) {
            result.value = state_.SoundIndex.Value(word);
        }
        SpeakText(QString::fromStdString(spoken));
        return result;
    }
    sound::PronounceRequest request;
    request.variant = variant;
    request.word = word;
    request.entry = state_.CurrentEntry;
    request.cardSoundFile = options.cardSoundFile;
    request.spokenText = options.spokenText;
    // A word's sound that has not ended after this long is stopped and reported, so that a
    // file whose header lies cannot hold a mode up.
    player->SetPlayLimit(static_cast<int>(core::WordSoundLimitMs));
    QString recordingMessage;
    core::Status failure;
    try {
        // No speech object here: speech goes through SpeakText, which watches its end.
        result = sound::PronounceWord(
            request, state_.AppDir, state_.SoundIndex, *player, nullptr,
            [&recordingMessage](const core::Status& said) { recordingMessage = ErrorText(said); });
    } catch (const sound::SoundError& e) {
        failure = e.Failure();
    } catch (const std::exception& e) {
        // An unexpected failure names no file; what it said goes with it as its detail.
        failure = core::Status::Sound(core::Failure::SoundUnplayable, {}, 0, e.what());
    }
    if (!failure.ok) {
        ReportSoundFailure(failure);
        result = sound::Pronunciation{};
        result.how = sound::Pronounced::Failed;
        result.failure = failure;
        if (options.speakOnFailure) {
            SpeakText(QString::fromStdString(spoken));
        }
        return result;
    }
    if (result.how == sound::Pronounced::Failed && FirstSoundReport(result.failure)) {
        // The recording mode's own message, shown like any other sound failure: once for the
        // device, once for each file.
        messages_.Inform(recordingMessage);
    }
    if (result.how == sound::Pronounced::Spoken) {
        SpeakText(QString::fromStdString(spoken));
    }
    return result;
}

bool Pronouncer::FirstSoundReport(const core::Status& failure) {
    if (sound::IsDeviceFailure(failure)) {
        // A missing or broken device fails every sound and every spoken word alike.
        const bool first = !deviceFailureReported_;
        deviceFailureReported_ = true;
        return first;
    }
    const QString key = QString::number(static_cast<int>(failure.what)) + QLatin1Char(' ') +
                        QString::fromStdString(failure.file);
    if (reportedSounds_.contains(key)) {
        return false;
    }
    reportedSounds_.insert(key);
    return true;
}

void Pronouncer::ReportSoundFailure(const core::Status& failure) {
    if (FirstSoundReport(failure)) {
        messages_.ShowError(ErrorText(failure));
    }
}
