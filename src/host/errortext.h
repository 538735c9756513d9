#pragma once
#include "core/status.h"

#include <QString>

#include <exception>

/// The learner's text for a failed operation: the fixed Chinese sentence for what failed,
/// naming the file, with the system's reason in Chinese where there is one.
QString ErrorText(const core::Status& status);

/// The learner's text for an exception out of an operation: a sound failure's sentence for a
/// sound::SoundError, any other exception's own message.
QString ErrorText(const std::exception& error);

/// True for the failures whose text is one of the program's plain messages (a recording device
/// that cannot be prepared, a recording that cannot be saved): they are told as notices, not
/// as errors.
bool IsNotice(const core::Status& status);

/// The system's reason for an error number, in Chinese for the common ones.
QString SystemErrorText(int error);
