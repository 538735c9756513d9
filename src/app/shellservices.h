#pragma once
#include "core/status.h"
#include "learner/signinoptions.h"

#include <QString>
#include <cstdint>
#include <functional>

class MessageService;
namespace core {
class Clock;
class RandomSource;
class Speech;
class StudyState;
} // namespace core
namespace sound {
class MediaPlayer;
}

/// What the main window is built on; everything here outlives the main window.
struct ShellServices {
    ShellServices(core::StudyState& s, const core::Clock& c, MessageService& m)
        : state(s), clock(c), messages(m) {}

    core::StudyState& state;
    const core::Clock& clock;
    MessageService& messages;
    /// The speech object; null runs without speech (every text then counts as spoken).
    core::Speech* voice = nullptr;
    /// The random source of the modes; null: the main window seeds one of its own.
    core::RandomSource* random = nullptr;
    /// The shared word-sound player MediaPlayer1; null runs without one.
    sound::MediaPlayer* mediaPlayer = nullptr;
    /// The program folder, ending in "/"; empty means the folder of the program file.
    QString appDir;
    /// The folder that receives what the program writes, ending in "/"; empty means appDir.
    QString learnerDir;
    /// Reads and writes the output volume (left channel low 16 bits, right high). Without
    /// them the main window keeps the value itself.
    std::function<std::uint32_t()> readVolume;
    std::function<void(std::uint32_t)> writeVolume;
    /// Brings up what the first frame of the sign-in window does not need (the speech engine,
    /// the phonetic font). Runs once, right after that frame (or when the sign-in ends, should
    /// it never have been drawn); a failure it returns (the phonetic font missing or broken)
    /// is shown once.
    std::function<core::Status()> afterFirstFrame;
    /// How the sign-in window runs (tests skip the video).
    SignInOptions signIn;
    /// False: the start-up runs only when FormShow is called, not at the first showing (tests).
    bool startUpOnShow = true;
    /// True: the window's bands, buttons and labels are made right after the sign-in window's
    /// first frame, which covers them until the learner has signed in, so that the sign-in
    /// window comes up sooner. False: they are made with the window.
    bool buildBehindSignIn = false;
    /// The periodic save runs this long after the first change not yet saved, so that a crash
    /// or a power loss costs at most that much study.
    int autosaveMs = 60000;
};
