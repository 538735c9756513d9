#pragma once
#include "modebutton.h"
#include "moderegistration.h"
#include "sound/pronunciation.h"

#include <QColor>
#include <QString>
#include <functional>
#include <string>

class QLabel;
class QTimer;
class QWidget;
class MessageService;
class ModeWindow;
namespace core {
struct HistoryEvent;
class Clock;
class RandomSource;
class StudyState;
} // namespace core
namespace sound {
class MediaPlayer;
}

/// How ModeHost::Pronounce sounds a word beyond its variant's own rule.
struct PronounceOptions {
    /// The text speech gets instead of the word (browsing speaks " word ").
    std::string spokenText;
    /// "不清楚" only: the sound-index value read when the card was put up.
    std::string cardSoundFile;
    /// The player to use; null means the shared player MediaPlayer1.
    sound::MediaPlayer* player = nullptr;
    /// A sound file that cannot be played is reported (once) and the word is spoken instead.
    bool speakOnFailure = false;
};

/// What the main window offers the windows of every layer. The main window `TWordmemory`
/// implements it; mode windows get it when they are created.
///
/// Mode windows plug in through RegisterMode (normally at program start, before the main
/// window is shown); the mode switcher (modeswitcher.h) then runs a button's protocol from its
/// registration alone. A button without a registration does nothing.
///
/// Object names: controls and timers of mode windows carry their member names as object
/// names, so that tests and accessibility tools find them; the host itself never looks
/// into a mode window.
class ModeHost {
public:
    virtual ~ModeHost() = default;

    /// The program-wide study state: learner, lists, counters, flags.
    virtual core::StudyState& State() = 0;
    /// The clock for the study period.
    virtual const core::Clock& Clock() const = 0;
    /// Where messages go (modal boxes in the program, a recorder in tests).
    virtual MessageService& Messages() = 0;
    /// The random source of the modes (seeded once; fixed in tests).
    virtual core::RandomSource& Random() = 0;

    /// Colour cycling of the card labels: 1500 ms, disabled at start.
    virtual QTimer* Timer1() const = 0;
    /// Browse pacing: 10 ms at start (browsing sets 1 ms and 1200 ms), disabled at start.
    virtual QTimer* Timer2() const = 0;
    /// The end-of-speech watch SpeechWatch: 1000 ms. Enabled by SpeakText.
    virtual QTimer* Timer3() const = 0;
    /// The shared player for word sounds; its Notify runs MediaPlayer1Notify. May be null
    /// when the program runs without sound.
    virtual sound::MediaPlayer* MediaPlayer1() const = 0;

    /// The countdown label in the statistics line.
    virtual QLabel* Lbtimecount() const = 0;
    /// The banner.
    virtual QLabel* Label4() const = 0;
    /// The mastered-count label (browsing writes its own count there).
    virtual QLabel* LBalreadymastery() const = 0;
    /// The client panel that holds the mode windows.
    virtual QWidget* Panel1() const = 0;
    /// The study content (ContentKind) was changed by a mode: the study-content window, home
    /// of the three lists' combo boxes and radio buttons, follows it.
    virtual void StudyContentChanged() = 0;

    /// The main window's background colour (all four bands take it).
    virtual QColor Colour() const = 0;
    virtual void SetColour(const QColor& colour) = 0;

    /// Stops browsing: BrowseRunning := 0 and Timer2 off; Timer1 off when timer1Off; the
    /// shared player closed when closePlayer.
    virtual void StopBrowse(bool timer1Off, bool closePlayer) = 0;
    /// Runs the protocol of a mode button (as if it had been clicked).
    virtual void OpenModeWindow(ModeButton button) = 0;
    /// The window in a slot, or null when it does not exist.
    virtual QWidget* SlotWindow(ModeSlot slot) const = 0;
    /// Plugs a mode into a button; a later registration replaces an earlier one.
    virtual void RegisterMode(ModeButton button, ModeRegistration registration) = 0;

    /// Speaks text without waiting and enables Timer3 so that SpeechWatch sees its end.
    virtual void SpeakText(const QString& text) = 0;
    /// Sets the speech speed; a running Timer2 is paused around the change.
    virtual void SetSpeechSpeed(int speed) = 0;
    /// The speech speed last set (150 normal).
    virtual int SpeechSpeed() const = 0;

    /// Pronounces a word as every mode does: its sound file where the sound index names one
    /// (on the given or the shared player), else speech through SpeakText. The play may last
    /// at most core::WordSoundLimitMs. A player failure is reported through
    /// ReportSoundFailure and, with speakOnFailure, the word is spoken instead; the result then
    /// says Failed. Never throws.
    virtual sound::Pronunciation Pronounce(sound::PronounceVariant variant, const std::string& word,
                                           const PronounceOptions& options = {}) = 0;

    /// Shows a sound failure unless it has been shown before in this run: a failure of the
    /// sound devices (none, or one that cannot be opened) once, whatever played or spoke; a
    /// file's failure once per file. Pronounce, speech and the shared player report here.
    virtual void ReportSoundFailure(const core::Status& failure) = 0;

    /// Adds an event to the signed-in learner's study history, dated by Clock(). Nothing
    /// while nobody is signed in. Cheap: an answer never waits for the disk.
    virtual void RecordStudy(const core::HistoryEvent& event) = 0;
    /// The signed-in learner's study history file; empty while nobody is signed in.
    virtual std::string HistoryPath() const = 0;

    /// The countdown of the statistics line: Lbtimecount := prefix + timeText ("0:14:59"), the
    /// time left as the core's study period gives it.
    virtual void ShowStudyTime(const QString& prefix, const std::string& timeText) = 0;
};
