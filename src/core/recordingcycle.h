#pragma once
#include "cardface.h"
#include "clock.h"
#include "waveheader.h"

#include <string>

namespace core {

class StudyState;

/// Interval of the recording window's three phase timers, in milliseconds.
inline constexpr int RecordTickMs = 50;
/// Ticks recorded beyond the model's length: half a second.
inline constexpr int RecordExtraTicks = 10;
/// The longest recording in ticks, however long the model pronunciation was measured: the
/// longest a word's sound may play (WordSoundLimitMs) plus the margin, so that the learner
/// can always repeat the whole of a model that played.
inline constexpr int MaxRecordTicks =
    static_cast<int>(WordSoundLimitMs / RecordTickMs) + RecordExtraTicks;

/// Where the recording window's cycle stands.
enum class RecordPhase {
    Idle,      ///< waiting for a button
    Measuring, ///< Timer1: the model pronunciation sounds and is measured
    Starting,  ///< "录放" is preparing the recording device
    Recording, ///< Timer2: the learner's voice is recorded
    Playback,  ///< Timer3: the recording plays back
};

/// Which of the three buttons are enabled.
struct RecordButtons {
    bool record = true;  ///< "录放" (BtRecordword2)
    bool next = true;    ///< "开始"/"继续" (BtwordNext1)
    bool recite = false; ///< "朗读" (BtwordRecite1)
    bool operator==(const RecordButtons&) const = default;
};

/// What "朗读" did.
struct ReciteResult {
    bool shown = false;   ///< false: no entry or the period is over (the rest message)
    std::string timeText; ///< the time left in the period, "0:14:59"
    CardFace face;        ///< the labels (only when shown)
    std::string word;     ///< the word to pronounce: the word label trimmed
};

/// What a timer tick asks of the window.
enum class TickAction {
    None,           ///< the phase goes on
    Ignored,        ///< a tick outside its phase: the timer stops, nothing else happens
    StopTimer,      ///< the phase has ended: the timer stops
    StartRecording, ///< measuring has ended with "自动录放": the timer stops, "录放" is clicked
    FinishRecording, ///< the recording has its length: stop, save and play it; Timer3 takes over
};

/// The colour a tick gives the status label.
enum class StatusColour { Keep, Red, Black };

/// What one timer tick did.
struct TickResult {
    TickAction action = TickAction::None;
    std::string status; ///< the status label's new text; empty leaves it
    StatusColour colour = StatusColour::Keep;
};

/// The rules of recording follow-read: show a word and measure its model pronunciation,
/// record the learner for that length plus half a second, play the recording back for the
/// model's length, then wait. The window's timers call the ticks; the window owns the widgets,
/// the players and the timers and applies what the cycle says.
class RecordingCycle {
public:
    explicit RecordingCycle(StudyState& state);

    /// A new recording window: its buttons and caption as designed, no phase running. The
    /// model length measured last stays, as "录放" records with it.
    void NewWindow();
    /// The window becomes visible: WordCursor := -1, so that "开始" shows the first entry.
    void Show();
    /// A new study period has started (the mode's button again): buttons that rested after
    /// the rest message are offered again; a running phase goes on.
    void NewPeriod();
    /// The window is hidden or closed: whatever phase runs is dropped and the buttons are
    /// offered again (so the learner can go on when the window comes back).
    void Abort();

    /// "开始"/"继续": "朗读" is offered from now on, the caption becomes "继续", the cursor
    /// moves on and the word there is shown ("朗读").
    ReciteResult Next(TimePoint now);
    /// "朗读": the entry at WordCursor (wrapping past the end) is shown and measuring starts;
    /// all three buttons go off.
    ReciteResult Recite(TimePoint now);

    /// Timer1: counts the model pronunciation while ModelSoundPlaying is 1.
    TickResult MeasureTick(bool autoRecord);

    /// "录放" is pressed (or clicked by the end of measuring). False while an earlier start
    /// is still under way, so that a click or tick let in by the device preparation does
    /// not start a second one.
    bool BeginRecording();
    /// The device records: RecordTicks := 0 and Timer2 runs.
    void RecordingStarted();
    /// The device could not record: the buttons are offered again.
    void RecordingFailed();
    /// Timer2: counts the recording, ModelTicks + 10 ticks (bounded by MaxRecordTicks).
    TickResult RecordTick();
    /// Timer3: counts the playback for the model's length.
    TickResult PlaybackTick();
    /// The recording could not be played back: the phase ends with the buttons offered.
    TickResult PlaybackFailed();

    RecordPhase Phase() const { return phase_; }
    const RecordButtons& Buttons() const { return buttons_; }
    /// Whether the microphone picture is shown.
    bool Microphone() const { return microphone_; }
    /// The caption of BtwordNext1: "开始" until its first use, then "继续".
    std::string NextCaption() const;
    /// The model length the recording and playback phases count with.
    int CountedModelTicks() const;

    /// Ticks the model pronunciation lasted; 0 until a word is shown.
    int ModelTicks = 0;
    /// Ticks elapsed in the recording phase, then in the playback phase.
    int RecordTicks = 0;

private:
    void OfferButtons();

    StudyState& s_;
    RecordPhase phase_ = RecordPhase::Idle;
    RecordButtons buttons_;
    bool microphone_ = false;
    bool started_ = false;
};

} // namespace core
