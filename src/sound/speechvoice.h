#pragma once
#include "core/speech.h"
#include "core/status.h"

#include <QObject>

namespace sound {

/// A speech engine as the program holds it: besides speaking (core::Speech) it is started once
/// and reports what goes wrong. The real one is Voice (eSpeak NG); the program holds a
/// LazyVoice, which makes one when it is first needed.
class SpeechVoice : public QObject, public core::Speech {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SpeechVoice() override = default;

    /// Starts the engine. When it cannot start, the program goes on without speech: LastError
    /// says why, EngineFailed is raised once, and every text counts as spoken.
    virtual bool Register() = 0;
    /// Why the engine could not start; ok when it runs or has not been tried.
    virtual const core::Status& LastError() const = 0;

signals:
    /// The engine could not start; raised once, with LastError.
    void EngineFailed(const core::Status& failure);
    /// Speech could not be played (the sound output is missing or cannot be opened); the
    /// speech counts as ended.
    void SpeechFailed(const core::Status& failure);
    /// The last queued text has sounded.
    void SpeakingFinished();
};

} // namespace sound
