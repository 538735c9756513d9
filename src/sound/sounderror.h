#pragma once
#include "core/status.h"

#include <QMetaType>
#include <QString>

#include <stdexcept>

namespace sound {

/// True for failures of the sound devices themselves (none there, or one that cannot be
/// opened) rather than of one file: they come back for every sound until the device is
/// mended.
bool IsDeviceFailure(const core::Status& failure);

/// A failed sound operation (missing file, device that cannot open, unknown format). It is
/// thrown out of the call so that the calling handler ends and the failure is shown; it
/// carries the typed failure, which the host words for the learner. what() is for logs only:
/// the failure's name and its file.
class SoundError : public std::runtime_error {
public:
    explicit SoundError(core::Status failure);
    /// Shorthand for a failure of one kind on one file.
    SoundError(core::SoundFailure what, const QString& file);

    const core::Status& Failure() const { return failure_; }

private:
    core::Status failure_;
};

} // namespace sound

Q_DECLARE_METATYPE(core::Status)
