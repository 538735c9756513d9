#include "recordingcycle.h"

#include "studyperiod.h"
#include "studystate.h"

#include <algorithm>

namespace core {

RecordingCycle::RecordingCycle(StudyState& state) : s_(state) {
}

void RecordingCycle::NewWindow() {
    phase_ = RecordPhase::Idle;
    buttons_ = RecordButtons{};
    microphone_ = false;
    started_ = false;
    RecordTicks = 0;
}

void RecordingCycle::Show() {
    s_.WordCursor = -1;
}

void RecordingCycle::OfferButtons() {
    // "朗读" repeats the word shown; before the first word there is none to repeat, and a
    // "朗读" there would only end in the rest message with every button off.
    buttons_ = {true, true, started_};
}

void RecordingCycle::NewPeriod() {
    if (phase_ == RecordPhase::Idle) {
        OfferButtons();
    }
}

void RecordingCycle::Abort() {
    microphone_ = false;
    RecordTicks = 0;
    if (phase_ == RecordPhase::Idle) {
        return;
    }
    if (phase_ == RecordPhase::Measuring) {
        s_.ModelSoundPlaying = 0;
    }
    phase_ = RecordPhase::Idle;
    OfferButtons();
}

std::string RecordingCycle::NextCaption() const {
    return started_ ? "继续" : "开始";
}

int RecordingCycle::CountedModelTicks() const {
    return std::clamp(ModelTicks, 0, MaxRecordTicks - RecordExtraTicks);
}

ReciteResult RecordingCycle::Next(TimePoint now) {
    buttons_.recite = true;
    started_ = true;
    ++s_.WordCursor;
    return Recite(now);
}

ReciteResult RecordingCycle::Recite(TimePoint now) {
    ReciteResult result;
    RecordTicks = 0;
    if (ChoosesList(s_.ContentKind)) {
        if (s_.WordCursor >= static_cast<long long>(s_.CurrentList().size())) {
            s_.WordCursor = 0;
        }
        s_.FetchEntry();
    } else {
        // Nothing chosen to study: no word of an earlier mode may stand in for one.
        s_.CurrentEntry.clear();
    }
    s_.StudyNow = now;
    result.timeText = RemainingTimeText(now, s_.StudyDeadline);
    buttons_ = {false, false, false};
    if (s_.CurrentEntry.empty() || StudyTimeUp(now, s_.StudyDeadline, false)) {
        phase_ = RecordPhase::Idle;
        // The rest message. At the end of the period every button rests until a new period
        // starts; with nothing to study "开始"/"继续" stays, so that the learner who chooses
        // study content with words goes on without closing the window.
        if (!StudyTimeUp(now, s_.StudyDeadline, false)) {
            buttons_.next = true;
        }
        return result;
    }
    result.shown = true;
    result.face = CardFaceOf(s_.CurrentEntry);
    result.word = result.face.Word();
    ModelTicks = 0;
    s_.ModelSoundPlaying = 1;
    phase_ = RecordPhase::Measuring;
    return result;
}

TickResult RecordingCycle::MeasureTick(bool autoRecord) {
    TickResult tick;
    if (phase_ != RecordPhase::Measuring) {
        tick.action = TickAction::Ignored;
        return tick;
    }
    if (s_.ModelSoundPlaying == 1) {
        ++ModelTicks;
        tick.status = "播音长度： " + std::to_string(ModelTicks);
        return tick;
    }
    phase_ = RecordPhase::Idle;
    if (autoRecord) {
        tick.action = TickAction::StartRecording;
        return tick;
    }
    tick.action = TickAction::StopTimer;
    OfferButtons();
    return tick;
}

bool RecordingCycle::BeginRecording() {
    if (phase_ == RecordPhase::Starting) {
        return false;
    }
    phase_ = RecordPhase::Starting;
    microphone_ = false;
    buttons_ = {false, false, false};
    return true;
}

void RecordingCycle::RecordingStarted() {
    RecordTicks = 0;
    phase_ = RecordPhase::Recording;
}

void RecordingCycle::RecordingFailed() {
    phase_ = RecordPhase::Idle;
    microphone_ = false;
    OfferButtons();
}

TickResult RecordingCycle::RecordTick() {
    TickResult tick;
    if (phase_ != RecordPhase::Recording) {
        tick.action = TickAction::Ignored;
        return tick;
    }
    const int model = CountedModelTicks();
    if (RecordTicks < model + RecordExtraTicks) {
        ++RecordTicks;
        tick.status = "开始录音： " + std::to_string(model - RecordTicks);
        tick.colour = StatusColour::Red;
        buttons_ = {false, false, false};
        microphone_ = true;
        return tick;
    }
    tick.action = TickAction::FinishRecording;
    microphone_ = false;
    RecordTicks = 0;
    phase_ = RecordPhase::Playback;
    return tick;
}

TickResult RecordingCycle::PlaybackTick() {
    TickResult tick;
    if (phase_ != RecordPhase::Playback) {
        tick.action = TickAction::Ignored;
        return tick;
    }
    const int model = CountedModelTicks();
    if (RecordTicks < model) {
        ++RecordTicks;
        tick.status = "听你的声音： " + std::to_string(model - RecordTicks);
        tick.colour = StatusColour::Black;
        return tick;
    }
    tick.action = TickAction::StopTimer;
    tick.status = "请继续： ";
    phase_ = RecordPhase::Idle;
    OfferButtons();
    return tick;
}

TickResult RecordingCycle::PlaybackFailed() {
    TickResult tick;
    tick.action = TickAction::StopTimer;
    tick.status = "请继续： ";
    tick.colour = StatusColour::Black;
    phase_ = RecordPhase::Idle;
    microphone_ = false;
    RecordTicks = 0;
    OfferButtons();
    return tick;
}

} // namespace core
