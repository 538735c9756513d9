#pragma once
#include "core/status.h"

#include <QMetaType>
#include <QString>

#include <stdexcept>

namespace sound {

/// The learner's text for a failed sound operation (a status whose `what` is one of the
/// Sound... failures), naming the file. The host's ErrorText words these statuses through it.
QString SoundFailureText(const core::Status& failure);

/// True for failures of the sound devices themselves (none there, or one that cannot be
/// opened) rather than of one file: they come back for every sound until the device is
/// mended.
bool IsDeviceFailure(const core::Status& failure);

/// A failed sound operation (missing file, device that cannot open, unknown format). It is
/// thrown out of the call so that the calling handler ends and the failure is shown; it
/// carries the typed failure, and what() is its text.
class SoundError : public std::runtime_error {
public:
    explicit SoundError(core::Status failure);
    /// Shorthand for a failure of one kind on one file.
    SoundError(core::Failure what, const QString& file);

    const core::Status& Failure() const { return failure_; }

private:
    core::Status failure_;
};

} // namespace sound

Q_DECLARE_METATYPE(core::Status)
