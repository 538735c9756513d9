#pragma once
#include <QColor>
#include <QString>
#include <functional>

class QLabel;
class QTimer;
class QWidget;
class MessageService;
class TWordForm1;
namespace core {
class Clock;
class StudyState;
} // namespace core
namespace sound {
class MediaPlayer;
}

/// The mode buttons of the main window, named after the buttons.
enum class ModeButton {
    Btfollow,      ///< "跟读速记(&S)": flash cards in the card window
    btrecordword,  ///< "录音跟读(&D)": recording window
    lookword,      ///< "浏览跟读(&F)": browsing in the card window
    closelookword, ///< "词句查看(&T)": lookup window
    SpeedButton9,  ///< "输入测试(&w)": spelling window
    BtSelectTest1, ///< "选择测试(&C)": choice-test window
    SpeedButton12, ///< "词库设置(&K)": word-bank window
    SpeedButton13, ///< "学习内容(&G)": study-content window (its own window, not in Panel1)
    SpeedButton1,  ///< "音标学习(&P)": phonetic-lesson window
};

/// One slot per window class that is shown inside Panel1. A slot is empty while its window
/// does not exist.
enum class ModeSlot {
    Cards,      ///< THeReadForm1 (flash cards and browsing)
    Recording,  ///< TRecordForm1
    Spelling,   ///< TMyWriteForm1
    ChoiceTest, ///< TSelectTestForm1
    Phonetic,   ///< TyinbiaoForm1
    Lookup,     ///< TWordSentenceForrm
    WordBank,   ///< TWordstoreroom1 (hides on close, lives until the end)
};

/// What a mode contributes to OpenModeWindow for one button. Only `create` is required.
struct ModeRegistration {
    /// Runs after the other windows are closed and the colour is set, before the window is
    /// created or shown. Returning false ends the button's protocol there (for example
    /// browsing with nothing to browse).
    std::function<bool()> prepare;
    /// Creates the window with parent as its parent (the host's Panel1). The host makes it
    /// borderless, fills Panel1 with it, keeps it filling Panel1 and, except for the word-bank
    /// window, deletes it when it is closed, which empties its slot.
    std::function<QWidget*(QWidget* parent)> create;
    /// The mode's own start-up, run after the window has been shown (first word, period...).
    std::function<void(QWidget* window)> start;
};

/// What the main window offers the windows of every layer. The main window `TWordmemory`
/// implements it; mode windows get it when they are created.
///
/// Mode windows plug in through RegisterMode (normally at program start, before the main
/// window is shown). Pressing a mode button then runs OpenModeWindow: stop browsing if the
/// button says so, close the other mode windows the button names, set the colour, create the
/// window on first use through the registration and show it inside Panel1, then run the
/// registration's start-up. A button without a registration runs only the first three steps.
///
/// Object names: controls and timers of mode windows carry their member names as object
/// names (for example the spelling window's timer "Timer1" and its close button
/// "Formclose1"); the host finds them by these names.
class ModeHost {
public:
    virtual ~ModeHost() = default;

    /// The program-wide study state: learner, lists, counters, flags.
    virtual core::StudyState& State() = 0;
    /// The clock for the study period.
    virtual const core::Clock& Clock() const = 0;
    /// Where messages go (modal boxes in the program, a recorder in tests).
    virtual MessageService& Messages() = 0;

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
    /// The study-content window: home of the three lists' combo boxes and radio buttons.
    virtual TWordForm1* WordForm1() const = 0;

    /// The main window's background colour (all four bands take it).
    virtual QColor Colour() const = 0;
    virtual void SetColour(const QColor& colour) = 0;

    /// Stops browsing: BrowseRunning := 0 and Timer2 off; Timer1 off when timer1Off; the
    /// shared player closed when closePlayer.
    virtual void StopBrowse(bool timer1Off, bool closePlayer) = 0;
    /// Runs the protocol of a mode button (as if it had been clicked).
    virtual void OpenModeWindow(ModeButton button) = 0;
    /// The window in a slot, or null when it does not exist.
    virtual QWidget* ModeWindow(ModeSlot slot) const = 0;
    /// Plugs a mode into a button; a later registration replaces an earlier one.
    virtual void RegisterMode(ModeButton button, ModeRegistration registration) = 0;

    /// Speaks text without waiting and enables Timer3 so that SpeechWatch sees its end.
    virtual void SpeakText(const QString& text) = 0;
    /// Sets the speech speed; a running Timer2 is paused around the change.
    virtual void SetSpeechSpeed(int speed) = 0;

    /// Starts a study period: StudyDeadline := now + 15 minutes.
    virtual void StartStudyPeriod() = 0;
    /// At a word change: StudyNow := now, Lbtimecount := prefix + the time left ("0:14:59").
    /// Returns true when time is up: StudyNow past StudyDeadline, or at it when atDeadline.
    virtual bool CheckStudyTime(const QString& prefix, bool atDeadline) = 0;
};
