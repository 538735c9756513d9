#include "sounderror.h"

namespace sound {

namespace {

std::string LogText(const core::Status& failure) {
    std::string text(core::FailureName(failure.what));
    if (!failure.file.empty()) {
        text += ": " + failure.file;
    }
    if (!failure.detail.empty()) {
        text += " (" + failure.detail + ")";
    }
    return text;
}

} // namespace

bool IsDeviceFailure(const core::Status& failure) {
    using core::Failure;
    return failure.what == Failure::SoundNoOutput || failure.what == Failure::SoundOutputOpen ||
           failure.what == Failure::SoundNoInput || failure.what == Failure::SoundInputOpen;
}

SoundError::SoundError(core::Status failure)
    : std::runtime_error(LogText(failure)), failure_(std::move(failure)) {
}

SoundError::SoundError(core::SoundFailure what, const QString& file)
    : SoundError(core::Status::Sound(what, file.toStdString())) {
}

} // namespace sound
