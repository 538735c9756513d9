#pragma once
#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/random.h"
#include "core/studystate.h"
#include "host/application.h"
#include "support/messagerecorder.h"
#include "support/scriptedplayer.h"
#include "support/scriptedspeech.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class Twordfriend;

/// A temporary program folder with small data files, the injected services and, on request,
/// the main window built on them.
class QLabel;

class ShellTest : public ::testing::Test {
protected:
    ShellTest();
    ~ShellTest() override;

    /// Writes lines (UTF-8) as a GB18030 CR LF text file at appDir + relative.
    void WriteLines(const QString& relative, const std::vector<std::string>& lines);
    /// Reads a text file below appDir into UTF-8 lines; fails the test when unreadable.
    std::vector<std::string> ReadLines(const QString& relative);
    /// Raw bytes of a file below appDir.
    QByteArray ReadBytes(const QString& relative);
    bool Exists(const QString& relative) const;

    /// A learner folder with its three list files.
    void MakeLearner(const std::string& name, const std::vector<std::string>& newWords,
                     const std::vector<std::string>& mastered,
                     const std::vector<std::string>& review);
    /// A word bank and its catalogue line.
    void MakeBank(const std::string& name, const std::vector<std::string>& lines);
    /// The two volume-control pictures.
    void MakePictures();
    /// Links every data item of the program folder the build laid out into appDir, so that
    /// a test runs on the real banks, sounds and pictures; fails when the data is missing.
    void UseBuiltData();

    /// Saves a picture of window as <name>.png into the folder named by LJT_SCREENSHOTS,
    /// when that variable is set (for looking at the windows; run with a real platform).
    static void Snap(QWidget* window, const QString& name);

    /// True when label lays out exactly like a plain-text label with the same settings, i.e.
    /// its text is shown as written and not read as markup.
    static bool RendersAsPlainText(QLabel* label);

    /// The main window on the fixture's services (not shown).
    TWordmemory& Shell();
    /// Runs the start-up; the sign-in window gets name typed and button pressed once its
    /// controls are ready (button: "SbOpen1", "SBfriend" or "SBclose").
    void StartWith(const QString& name, const char* button);
    /// Lets queued events run (deferred deletions included).
    static void Settle();

    QTemporaryDir dir_;
    QString appDir_;
    /// The learner data folder handed to the main window; empty: appDir, as when the program
    /// runs from a writable folder.
    QString learnerDir_;
    core::StudyState state_;
    core::ManualClock clock_;
    MessageRecorder messages_;
    sound::ScriptedSpeech speech_;
    sound::ScriptedPlayer player_;
    /// The modes' random source, seeded the same in every run of the tests.
    core::SeededRandom random_{20241207};
    std::uint32_t volume_ = 0xFFFFFFFFu;
    /// What the deferred start-up returns (how installing the phonetic font went), how often
    /// it ran, and whether the sign-in window had drawn its first frame by then.
    core::Status fontStatus_;
    int afterFirstFrameRuns_ = 0;
    bool startingThroughSignIn_ = false;
    bool columnBeforeDeferred_ = false;
    bool signInDrawnBeforeDeferred_ = false;
    std::vector<std::string> catalogue_;
    std::unique_ptr<TWordmemory> shell_;
};

/// Finds the modal sign-in window as soon as its controls are shown and runs action on it.
void WhenSignInReady(std::function<void(Twordfriend&)> action);
