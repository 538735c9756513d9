#pragma once
#include <QString>

/// How the sign-in window plays its welcome video.
struct SignInOptions {
    /// The video, opened by its bare name from the current folder.
    QString videoFile = QStringLiteral("lrtz.avi");
    /// False shows the sign-in controls at once (tests).
    bool playVideo = true;
    /// Longest wait for the player to start the video before the controls are shown anyway.
    int startTimeoutMs = 5000;
};
