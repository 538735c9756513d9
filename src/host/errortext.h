#pragma once
#include "core/status.h"

#include <QString>

/// The learner's text for a failed operation: the fixed Chinese sentence for what failed,
/// naming the file, with the system's reason in Chinese where there is one.
QString ErrorText(const core::Status& status);

/// The system's reason for an error number, in Chinese for the common ones.
QString SystemErrorText(int error);
