#pragma once

namespace core {

/// Interval of the lesson window's recording timer, in milliseconds.
inline constexpr int LessonRecordTickMs = 10;
/// The last tick that still counts: the recording runs for 81 ticks and ends on the 82nd.
inline constexpr int LessonRecordLastCount = 80;

/// What a lesson-window timer tick asks of the window.
enum class LessonTick {
    Ignored, ///< no recording runs: the timer stops
    Counted, ///< the recording goes on
    Finish,  ///< stop, save and play the recording; the timer stops
};

/// What a symbol click does to the window's one player.
enum class SymbolClick {
    Play,           ///< play the symbol's sound
    DiscardAndPlay, ///< a recording runs: stop it without saving, then play the symbol
    Ignored,        ///< the record button is still preparing the device: the click waits out
};

/// The short recording of the phonetic lessons: about 0.8 s, then straight playback. The
/// symbol sounds share the player, so a symbol click drops a running recording; the end of a
/// recording therefore only ever saves the recording file.
class LessonRecording {
public:
    /// The record button is pressed. False while an earlier press is still preparing the
    /// device (its "let waiting messages run" step lets a second press in).
    bool Begin();
    /// The device records: RecordTicks := 0 and the timer runs. A press while a recording
    /// runs starts it afresh the same way.
    void Started();
    /// The device could not record: no recording runs.
    void Failed();
    /// One tick of the 10-ms timer.
    LessonTick Tick();
    /// A symbol button is clicked.
    SymbolClick Click();
    /// The window closes or hides: any recording is dropped.
    void Reset();

    bool Recording() const { return recording_; }
    bool Starting() const { return starting_; }

    /// Ticks the running recording has counted.
    int RecordTicks = 0;

private:
    bool starting_ = false;
    bool recording_ = false;
};

} // namespace core
