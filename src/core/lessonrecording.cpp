#include "lessonrecording.h"

namespace core {

bool LessonRecording::Begin() {
    if (starting_) {
        return false;
    }
    starting_ = true;
    return true;
}

void LessonRecording::Started() {
    starting_ = false;
    recording_ = true;
    RecordTicks = 0;
}

void LessonRecording::Failed() {
    starting_ = false;
    recording_ = false;
    RecordTicks = 0;
}

LessonTick LessonRecording::Tick() {
    if (!recording_ || starting_) {
        return LessonTick::Ignored;
    }
    if (RecordTicks <= LessonRecordLastCount) {
        ++RecordTicks;
        return LessonTick::Counted;
    }
    recording_ = false;
    RecordTicks = 0;
    return LessonTick::Finish;
}

SymbolClick LessonRecording::Click() {
    if (starting_) {
        return SymbolClick::Ignored;
    }
    if (recording_) {
        recording_ = false;
        RecordTicks = 0;
        return SymbolClick::DiscardAndPlay;
    }
    return SymbolClick::Play;
}

void LessonRecording::Reset() {
    starting_ = false;
    recording_ = false;
    RecordTicks = 0;
}

} // namespace core
