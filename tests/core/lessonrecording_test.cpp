#include "core/lessonrecording.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using core::LessonRecording;
using core::LessonTick;
using core::SymbolClick;

namespace {

enum class Ev {
    Begin,      ///< the record button: accepted
    BeginAgain, ///< the record button while the device is still being prepared: refused
    Started,
    Failed,
    Tick,
    Click,
    Reset,
};

/// One row: an event repeated `times` times, what each repetition answered and the state after.
struct Step {
    Ev ev;
    int times;
    int answer; ///< the LessonTick or SymbolClick value answered (ticks and clicks only)
    bool recording;
    int ticks;
};

int Tick(LessonTick t) {
    return static_cast<int>(t);
}
int Click(SymbolClick c) {
    return static_cast<int>(c);
}

void RunScript(const std::vector<Step>& script) {
    LessonRecording r;
    int row = 0;
    for (const Step& step : script) {
        ++row;
        for (int i = 0; i < step.times; ++i) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", repetition " << i + 1);
            switch (step.ev) {
            case Ev::Begin:
                EXPECT_TRUE(r.Begin());
                break;
            case Ev::BeginAgain:
                EXPECT_FALSE(r.Begin());
                break;
            case Ev::Started:
                r.Started();
                break;
            case Ev::Failed:
                r.Failed();
                break;
            case Ev::Tick:
                EXPECT_EQ(Tick(r.Tick()), step.answer);
                break;
            case Ev::Click:
                EXPECT_EQ(Click(r.Click()), step.answer);
                break;
            case Ev::Reset:
                r.Reset();
                break;
            }
        }
        SCOPED_TRACE(testing::Message() << "row " << row);
        EXPECT_EQ(r.Recording(), step.recording);
        EXPECT_EQ(r.RecordTicks, step.ticks);
    }
}

const int Counted = Tick(LessonTick::Counted);
const int Finish = Tick(LessonTick::Finish);
const int Ignored = Tick(LessonTick::Ignored);

TEST(LessonRecordingTest, RecordingRunsEightyOneTicksAndEndsOnTheEightySecond) {
    RunScript({
        {Ev::Tick, 1, Ignored, false, 0},
        {Ev::Begin, 1, 0, false, 0},
        {Ev::Started, 1, 0, true, 0},
        {Ev::Tick, 81, Counted, true, 81},
        {Ev::Tick, 1, Finish, false, 0},
        {Ev::Tick, 1, Ignored, false, 0},
        {Ev::Click, 1, Click(SymbolClick::Play), false, 0},
    });
}

TEST(LessonRecordingTest, PressingRecordWhileRecordingStartsAfresh) {
    RunScript({
        {Ev::Begin, 1, 0, false, 0},
        {Ev::Started, 1, 0, true, 0},
        {Ev::Tick, 40, Counted, true, 40},
        {Ev::Begin, 1, 0, true, 40},
        // A tick let in while the device is prepared again counts nothing.
        {Ev::Tick, 1, Ignored, true, 40},
        {Ev::BeginAgain, 2, 0, true, 40},
        {Ev::Started, 1, 0, true, 0},
        {Ev::Tick, 81, Counted, true, 81},
        {Ev::Tick, 1, Finish, false, 0},
    });
}

TEST(LessonRecordingTest, SymbolClickDropsARunningRecordingAndWaitsOutAStart) {
    RunScript({
        {Ev::Begin, 1, 0, false, 0},
        {Ev::Click, 1, Click(SymbolClick::Ignored), false, 0},
        {Ev::Started, 1, 0, true, 0},
        {Ev::Tick, 10, Counted, true, 10},
        {Ev::Click, 1, Click(SymbolClick::DiscardAndPlay), false, 0},
        // The recording never reaches its end, so nothing is saved over the symbol's sound.
        {Ev::Tick, 100, Ignored, false, 0},
        {Ev::Click, 1, Click(SymbolClick::Play), false, 0},
    });
}

TEST(LessonRecordingTest, FailedStartAndResetLeaveNoRecording) {
    RunScript({
        {Ev::Begin, 1, 0, false, 0},
        {Ev::Failed, 1, 0, false, 0},
        {Ev::Tick, 3, Ignored, false, 0},
        {Ev::Begin, 1, 0, false, 0},
        {Ev::Started, 1, 0, true, 0},
        {Ev::Tick, 5, Counted, true, 5},
        {Ev::Reset, 1, 0, false, 0},
        {Ev::Tick, 3, Ignored, false, 0},
        {Ev::Begin, 1, 0, false, 0},
        {Ev::Reset, 1, 0, false, 0},
        {Ev::Begin, 1, 0, false, 0}, // a reset also ends a start that was under way
    });
}

} // namespace
