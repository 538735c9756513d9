#include "core/recordingcycle.h"
#include "core/studystate.h"
#include "core/wordentry.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using core::RecordButtons;
using core::RecordingCycle;
using core::RecordPhase;
using core::StatusColour;
using core::TickAction;
using namespace std::chrono_literals;

namespace {

const core::TimePoint t0 = core::TimePoint{} + 5000h;

/// What happens to the cycle in one row of a script.
enum class Ev {
    Show,       ///< the window becomes visible
    Next,       ///< "开始"/"继续"
    Recite,     ///< "朗读"
    ModelEnds,  ///< the player's notification or the speech watch clears ModelSoundPlaying
    Measure,    ///< Timer1, "自动录放" ticked
    MeasureOff, ///< Timer1, "自动录放" not ticked
    Begin,      ///< "录放" (by hand or by the end of measuring)
    BeginAgain, ///< a second "录放" let in while the first prepares the device: refused
    Started,    ///< the device records
    StartFails, ///< the device cannot record
    Rec,        ///< Timer2
    Play,       ///< Timer3
    PlayFails,  ///< Temp.wav cannot be played back
    Abort,      ///< the window is hidden or closed
};

const RecordButtons Off{false, false, false};
const RecordButtons On{true, true, true};
const RecordButtons Design{true, true, false};

/// One row: an event, repeated once per expected status text (at least once), and the state
/// after it.
struct Step {
    Ev ev;
    std::vector<std::string> statuses; ///< the status text after each repetition ("" = kept)
    TickAction action;
    StatusColour colour;
    RecordPhase phase;
    RecordButtons buttons;
    bool microphone;
};

/// "prefix" + n for n counting down from `from` to `to`.
std::vector<std::string> Countdown(const std::string& prefix, int from, int to) {
    std::vector<std::string> texts;
    for (int n = from; n >= to; --n) {
        texts.push_back(prefix + std::to_string(n));
    }
    return texts;
}

std::vector<std::string> CountUp(const std::string& prefix, int from, int to) {
    std::vector<std::string> texts;
    for (int n = from; n <= to; ++n) {
        texts.push_back(prefix + std::to_string(n));
    }
    return texts;
}

class RecordingCycleTest : public ::testing::Test {
protected:
    RecordingCycleTest() {
        s.ContentKind = core::StudyContent::NewWords;
        s.NewList.Replace({"good[gud]adj.好的", "word[wE:d]n.词"});
        s.StudyDeadline = t0 + 15min;
    }

    void Run(const std::vector<Step>& script) {
        int row = 0;
        for (const Step& step : script) {
            ++row;
            const std::size_t times = step.statuses.empty() ? 1 : step.statuses.size();
            for (std::size_t i = 0; i < times; ++i) {
                SCOPED_TRACE(testing::Message() << "row " << row << ", repetition " << i + 1);
                const core::TickResult tick = Apply(step.ev);
                const std::string expected = step.statuses.empty() ? "" : step.statuses[i];
                EXPECT_EQ(tick.status, expected);
                EXPECT_EQ(tick.action, step.action);
                EXPECT_EQ(tick.colour, step.colour);
                EXPECT_EQ(c.Phase(), step.phase);
                EXPECT_EQ(c.Buttons(), step.buttons);
                EXPECT_EQ(c.Microphone(), step.microphone);
            }
        }
    }

    core::TickResult Apply(Ev ev) {
        switch (ev) {
        case Ev::Show:
            c.Show();
            return {};
        case Ev::Next:
            EXPECT_TRUE(c.Next(t0 + 1s).shown);
            return {};
        case Ev::Recite:
            EXPECT_TRUE(c.Recite(t0 + 2s).shown);
            return {};
        case Ev::ModelEnds:
            s.ModelSoundPlaying = 0;
            return {};
        case Ev::Measure:
            return c.MeasureTick(true);
        case Ev::MeasureOff:
            return c.MeasureTick(false);
        case Ev::Begin:
            EXPECT_TRUE(c.BeginRecording());
            return {};
        case Ev::BeginAgain:
            EXPECT_FALSE(c.BeginRecording());
            return {};
        case Ev::Started:
            c.RecordingStarted();
            return {};
        case Ev::StartFails:
            c.RecordingFailed();
            return {};
        case Ev::Rec:
            return c.RecordTick();
        case Ev::Play:
            return c.PlaybackTick();
        case Ev::PlayFails:
            return c.PlaybackFailed();
        case Ev::Abort:
            c.Abort();
            return {};
        }
        return {};
    }

    core::StudyState s;
    RecordingCycle c{s};
};

const auto K = StatusColour::Keep;
const auto Red = StatusColour::Red;
const auto Black = StatusColour::Black;
const auto None = TickAction::None;

TEST_F(RecordingCycleTest, AutomaticCycleMeasuresRecordsPlaysBackAndWaits) {
    Run({
        {Ev::Show, {}, None, K, RecordPhase::Idle, Design, false},
        {Ev::Next, {}, None, K, RecordPhase::Measuring, Off, false},
        {Ev::Measure, CountUp("播音长度： ", 1, 3), None, K, RecordPhase::Measuring, Off, false},
        {Ev::ModelEnds, {}, None, K, RecordPhase::Measuring, Off, false},
        {Ev::Measure, {""}, TickAction::StartRecording, K, RecordPhase::Idle, Off, false},
        {Ev::Begin, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::Started, {}, None, K, RecordPhase::Recording, Off, false},
        // Three model ticks plus ten: 2, 1, 0, then on to -10.
        {Ev::Rec, Countdown("开始录音： ", 2, -10), None, Red, RecordPhase::Recording, Off, true},
        {Ev::Rec, {""}, TickAction::FinishRecording, K, RecordPhase::Playback, Off, false},
        {Ev::Play, Countdown("听你的声音： ", 2, 0), None, Black, RecordPhase::Playback, Off,
         false},
        {Ev::Play, {"请继续： "}, TickAction::StopTimer, K, RecordPhase::Idle, On, false},
        // A late tick of any timer changes nothing.
        {Ev::Measure, {""}, TickAction::Ignored, K, RecordPhase::Idle, On, false},
        {Ev::Rec, {""}, TickAction::Ignored, K, RecordPhase::Idle, On, false},
        {Ev::Play, {""}, TickAction::Ignored, K, RecordPhase::Idle, On, false},
    });
    EXPECT_EQ(s.WordCursor, 0);
    EXPECT_EQ(s.CurrentEntry, "good[gud]adj.好的");
    EXPECT_EQ(c.ModelTicks, 3);
    EXPECT_EQ(c.RecordTicks, 3);

    // A new window starts as designed but records with the length measured last.
    c.NewWindow();
    EXPECT_EQ(c.Buttons(), Design);
    EXPECT_EQ(c.NextCaption(), "开始");
    EXPECT_EQ(c.ModelTicks, 3);
    EXPECT_EQ(c.RecordTicks, 0);
    ASSERT_TRUE(c.BeginRecording());
    c.RecordingStarted();
    EXPECT_EQ(c.RecordTick().status, "开始录音： 2");
}

TEST_F(RecordingCycleTest, WithoutAutomaticRecordingTheCyclePausesUntilRecordIsPressed) {
    Run({
        {Ev::Show, {}, None, K, RecordPhase::Idle, Design, false},
        {Ev::Next, {}, None, K, RecordPhase::Measuring, Off, false},
        {Ev::MeasureOff, CountUp("播音长度： ", 1, 2), None, K, RecordPhase::Measuring, Off, false},
        {Ev::ModelEnds, {}, None, K, RecordPhase::Measuring, Off, false},
        {Ev::MeasureOff, {""}, TickAction::StopTimer, K, RecordPhase::Idle, On, false},
        {Ev::Begin, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::Started, {}, None, K, RecordPhase::Recording, Off, false},
        {Ev::Rec, Countdown("开始录音： ", 1, -10), None, Red, RecordPhase::Recording, Off, true},
        {Ev::Rec, {""}, TickAction::FinishRecording, K, RecordPhase::Playback, Off, false},
        {Ev::Play, Countdown("听你的声音： ", 1, 0), None, Black, RecordPhase::Playback, Off,
         false},
        {Ev::Play, {"请继续： "}, TickAction::StopTimer, K, RecordPhase::Idle, On, false},
        // "录放" again records with the last measured length.
        {Ev::Begin, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::Started, {}, None, K, RecordPhase::Recording, Off, false},
        {Ev::Rec, Countdown("开始录音： ", 1, -10), None, Red, RecordPhase::Recording, Off, true},
        // "朗读" from idle shows the same word and measures again.
    });
    c.Abort();
    const core::ReciteResult again = c.Recite(t0 + 5s);
    EXPECT_TRUE(again.shown);
    EXPECT_EQ(again.word, "good");
    EXPECT_EQ(c.ModelTicks, 0);
    EXPECT_EQ(c.Phase(), RecordPhase::Measuring);
}

TEST_F(RecordingCycleTest, RecordBeforeAnyWordRecordsTenTicksAndContinuesAtOnce) {
    Run({
        {Ev::Show, {}, None, K, RecordPhase::Idle, Design, false},
        {Ev::Begin, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::Started, {}, None, K, RecordPhase::Recording, Off, false},
        {Ev::Rec, Countdown("开始录音： ", -1, -10), None, Red, RecordPhase::Recording, Off, true},
        {Ev::Rec, {""}, TickAction::FinishRecording, K, RecordPhase::Playback, Off, false},
        // No word has been shown yet: "朗读" has nothing to repeat and stays off.
        {Ev::Play, {"请继续： "}, TickAction::StopTimer, K, RecordPhase::Idle, Design, false},
    });
}

TEST_F(RecordingCycleTest, FailuresEndTheirPhaseWithTheButtonsOffered) {
    Run({
        {Ev::Next, {}, None, K, RecordPhase::Measuring, Off, false},
        {Ev::ModelEnds, {}, None, K, RecordPhase::Measuring, Off, false},
        {Ev::Measure, {""}, TickAction::StartRecording, K, RecordPhase::Idle, Off, false},
        // The automatic "录放" cannot start: the learner gets the buttons back.
        {Ev::Begin, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::StartFails, {}, None, K, RecordPhase::Idle, On, false},
        {Ev::Rec, {""}, TickAction::Ignored, K, RecordPhase::Idle, On, false},
        // The recording cannot be played back: the phase ends once.
        {Ev::Begin, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::Started, {}, None, K, RecordPhase::Recording, Off, false},
        {Ev::Rec, Countdown("开始录音： ", -1, -10), None, Red, RecordPhase::Recording, Off, true},
        {Ev::Rec, {""}, TickAction::FinishRecording, K, RecordPhase::Playback, Off, false},
        {Ev::PlayFails, {"请继续： "}, TickAction::StopTimer, Black, RecordPhase::Idle, On, false},
        {Ev::Play, {""}, TickAction::Ignored, K, RecordPhase::Idle, On, false},
    });
}

TEST_F(RecordingCycleTest, ASecondStartWhileTheDeviceIsPreparedIsRefused) {
    Run({
        {Ev::Show, {}, None, K, RecordPhase::Idle, Design, false},
        {Ev::Begin, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::BeginAgain, {}, None, K, RecordPhase::Starting, Off, false},
        {Ev::Rec, {""}, TickAction::Ignored, K, RecordPhase::Starting, Off, false},
        {Ev::Started, {}, None, K, RecordPhase::Recording, Off, false},
        {Ev::Rec, {"开始录音： -1"}, None, Red, RecordPhase::Recording, Off, true},
    });
    EXPECT_EQ(c.RecordTicks, 1);
}

TEST_F(RecordingCycleTest, HidingDropsThePhaseAndOffersTheButtons) {
    struct Case {
        const char* name;
        std::vector<Ev> before;
        RecordButtons after;
    };
    const Case cases[] = {
        {"measuring", {Ev::Next, Ev::Measure}, On},
        {"preparing", {Ev::Begin}, Design},
        {"recording", {Ev::Next, Ev::ModelEnds, Ev::Measure, Ev::Begin, Ev::Started, Ev::Rec}, On},
        {"playing back",
         {Ev::Begin, Ev::Started, Ev::Rec, Ev::Rec, Ev::Rec, Ev::Rec, Ev::Rec, Ev::Rec, Ev::Rec,
          Ev::Rec, Ev::Rec, Ev::Rec, Ev::Rec},
         Design},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        core::StudyState state;
        state.ContentKind = core::StudyContent::NewWords;
        state.NewList.Replace({"good[gud]adj.好的"});
        state.StudyDeadline = t0 + 15min;
        RecordingCycle cycle(state);
        cycle.Show();
        for (Ev ev : k.before) {
            switch (ev) {
            case Ev::Next:
                cycle.Next(t0);
                break;
            case Ev::ModelEnds:
                state.ModelSoundPlaying = 0;
                break;
            case Ev::Measure:
                cycle.MeasureTick(true);
                break;
            case Ev::Begin:
                cycle.BeginRecording();
                break;
            case Ev::Started:
                cycle.RecordingStarted();
                break;
            case Ev::Rec:
                cycle.RecordTick();
                break;
            default:
                break;
            }
        }
        EXPECT_NE(cycle.Phase(), RecordPhase::Idle);
        cycle.Abort();
        EXPECT_EQ(cycle.Phase(), RecordPhase::Idle);
        EXPECT_EQ(cycle.Buttons(), k.after);
        EXPECT_FALSE(cycle.Microphone());
        EXPECT_EQ(state.ModelSoundPlaying, 0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cycle.MeasureTick(true).action, TickAction::Ignored);
            EXPECT_EQ(cycle.RecordTick().action, TickAction::Ignored);
            EXPECT_EQ(cycle.PlaybackTick().action, TickAction::Ignored);
        }
    }
}

TEST_F(RecordingCycleTest, ARecordingNeverOutlastsTheBoundWhateverTheModelMeasured) {
    struct Case {
        int modelTicks;
        int recordTicks;   ///< ticks counted before the finish
        std::string first; ///< the first countdown text
        int playbackTicks; ///< ticks counted in playback
    };
    const Case cases[] = {
        // Mended: recordings were cut at 10 s while a model may play for 15 s.
        {0, 10, "开始录音： -1", 0},        {1, 11, "开始录音： 0", 1},
        {190, 200, "开始录音： 189", 190},  {250, 260, "开始录音： 249", 250},
        {300, 310, "开始录音： 299", 300},  {301, 310, "开始录音： 299", 300},
        {5000, 310, "开始录音： 299", 300},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.modelTicks);
        c.Abort();
        c.ModelTicks = k.modelTicks;
        ASSERT_TRUE(c.BeginRecording());
        c.RecordingStarted();
        int counted = 0;
        std::string first;
        core::TickResult tick;
        while ((tick = c.RecordTick()).action == TickAction::None && counted < 10000) {
            if (counted++ == 0) {
                first = tick.status;
            }
        }
        EXPECT_EQ(tick.action, TickAction::FinishRecording);
        EXPECT_EQ(counted, k.recordTicks);
        EXPECT_EQ(first, k.first);
        EXPECT_LE(counted * core::RecordTickMs, core::WordSoundLimitMs + 500);
        int played = 0;
        while ((tick = c.PlaybackTick()).action == TickAction::None && played < 10000) {
            ++played;
        }
        EXPECT_EQ(played, k.playbackTicks);
        EXPECT_EQ(tick.status, "请继续： ");
    }
}

TEST_F(RecordingCycleTest, ReciteShowsTheEntryOrTheRestMessage) {
    struct Case {
        const char* name;
        int kind;
        std::vector<std::string> lines;
        int cursor;
        std::string staleEntry;
        core::TimePoint now;
        bool shown;
        int cursorAfter;
        std::string word, phonetic, meaning;
    };
    const Case cases[] = {
        {"first entry",
         1,
         {"good[gud]adj.好的"},
         0,
         "",
         t0,
         true,
         0,
         " good",
         "  gud",
         " adj.好的"},
        {"past the end wraps",
         1,
         {"a[ei]art.一", "b[bi:]n.字母"},
         2,
         "",
         t0,
         true,
         0,
         " a",
         "  ei",
         " art.一"},
        {"review list",
         3,
         {"x[eks]n.叉", "y[wai]n.字母"},
         1,
         "",
         t0,
         true,
         1,
         " y",
         "  wai",
         " n.字母"},
        {"empty list", 2, {}, 0, "", t0, false, 0, "", "", ""},
        {"empty line", 1, {"a[ei]art.一", "", "c[si:]n.字母"}, 1, "", t0, false, 1, "", "", ""},
        {"time up", 1, {"good[gud]adj.好的"}, 0, "", t0 + 15min + 1s, false, 0, "", "", ""},
        {"at the deadline",
         1,
         {"good[gud]adj.好的"},
         0,
         "",
         t0 + 15min,
         true,
         0,
         " good",
         "  gud",
         " adj.好的"},
        {"nothing chosen",
         0,
         {"good[gud]adj.好的"},
         0,
         "stale[stéil]adj.旧的",
         t0,
         false,
         0,
         "",
         "",
         ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        core::StudyState state;
        state.ContentKind = core::StudyContent(k.kind);
        state.CurrentList().Replace(k.lines);
        state.WordCursor = k.cursor;
        state.CurrentEntry = k.staleEntry;
        state.StudyDeadline = t0 + 15min;
        RecordingCycle cycle(state);
        cycle.ModelTicks = 7;
        const core::ReciteResult r = cycle.Recite(k.now);
        EXPECT_EQ(r.shown, k.shown);
        EXPECT_EQ(state.WordCursor, k.cursorAfter);
        EXPECT_EQ(state.StudyNow, k.now);
        // Only at the end of the period does every button rest; with nothing to study the
        // learner may choose content and go on (mended: every button stayed off).
        const bool timeUp = k.now > t0 + 15min;
        EXPECT_EQ(cycle.Buttons(),
                  (k.shown || timeUp ? Off : core::RecordButtons{false, true, false}));
        cycle.NewPeriod();
        EXPECT_EQ(cycle.Buttons(), (k.shown ? Off : core::RecordButtons{true, true, false}))
            << "a new period gives the buttons back, and leaves a running phase alone";
        EXPECT_EQ(r.face.word, k.word);
        EXPECT_EQ(r.face.phonetic, k.phonetic);
        EXPECT_EQ(r.face.meaning, k.meaning);
        if (k.shown) {
            EXPECT_EQ(r.word, core::Trim(k.word));
            EXPECT_EQ(cycle.ModelTicks, 0);
            EXPECT_EQ(state.ModelSoundPlaying, 1);
            EXPECT_EQ(cycle.Phase(), RecordPhase::Measuring);
        } else {
            // Time up still fetches the entry; otherwise there is none (nor a stale one).
            EXPECT_EQ(state.CurrentEntry, std::string(k.now > t0 + 15min ? k.lines[0] : ""));
            EXPECT_EQ(cycle.ModelTicks, 7);
            EXPECT_EQ(state.ModelSoundPlaying, 0);
            EXPECT_EQ(cycle.Phase(), RecordPhase::Idle);
        }
    }
}

TEST_F(RecordingCycleTest, FirstStartShowsTheFirstEntryWhereverTheCursorWas) {
    s.WordCursor = 1;
    c.Show();
    EXPECT_EQ(c.NextCaption(), "开始");
    const core::ReciteResult r = c.Next(t0 + 1min);
    EXPECT_EQ(r.word, "good");
    EXPECT_EQ(r.timeText, "0:14:00");
    EXPECT_EQ(c.NextCaption(), "继续");
    c.Abort();
    EXPECT_EQ(c.Next(t0 + 2min).word, "word");
    c.Abort();
    EXPECT_EQ(c.Next(t0 + 3min).word, "good"); // wraps to the first entry
}

} // namespace
