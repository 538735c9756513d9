#pragma once
#include "support/messagerecorder.h"

#include "core/clock.h"
#include "core/historyevent.h"
#include "core/random.h"
#include "core/studystate.h"
#include "host/modehost.h"

#include <map>
#include <vector>

/// The main window as far as a mode window that needs no timers, players or labels of the
/// main window uses it: the state, the clock, the messages and the registrations. For tests
/// and benchmarks that should not build the main window.
class StubModeHost : public ModeHost {
public:
    core::StudyState& State() override { return state; }
    const core::Clock& Clock() const override { return clock; }
    MessageService& Messages() override { return messages; }
    core::RandomSource& Random() override { return random; }
    QTimer* Timer1() const override { return nullptr; }
    QTimer* Timer2() const override { return nullptr; }
    QTimer* Timer3() const override { return nullptr; }
    sound::MediaPlayer* MediaPlayer1() const override { return nullptr; }
    QLabel* Lbtimecount() const override { return nullptr; }
    QLabel* Label4() const override { return nullptr; }
    QLabel* LBalreadymastery() const override { return nullptr; }
    QWidget* Panel1() const override { return nullptr; }
    void StudyContentChanged() override { ++contentChanges; }
    QColor Colour() const override { return colour; }
    void SetColour(const QColor& value) override { colour = value; }
    void StopBrowse(bool, bool) override {}
    void OpenModeWindow(ModeButton) override {}
    QWidget* SlotWindow(ModeSlot) const override { return nullptr; }
    void RegisterMode(ModeButton button, ModeRegistration registration) override;
    void SpeakText(const QString&) override {}
    void SetSpeechSpeed(int) override {}
    int SpeechSpeed() const override { return 150; }
    sound::Pronunciation Pronounce(sound::PronounceVariant, const std::string&,
                                   const PronounceOptions&) override;
    void ReportSoundFailure(const core::Status& failure) override;
    void ShowStudyTime(const QString&, const std::string&) override {}
    /// Keeps the event, dated by the clock, in recorded.
    void RecordStudy(const core::HistoryEvent& event) override {
        recorded.push_back(event);
        recorded.back().time = clock.Now();
    }
    std::string HistoryPath() const override { return historyPath; }

    /// Creates the window registered for button, as the main window would, shows it when
    /// show is set (a window that is never shown is never painted), and starts it.
    ModeWindow* Open(ModeButton button, bool show = true, QWidget* parent = nullptr);

    core::StudyState state;
    core::ManualClock clock;
    MessageRecorder messages;
    core::SeededRandom random{1};
    QColor colour;
    std::map<ModeButton, ModeRegistration> registered;
    int contentChanges = 0;
    std::vector<core::HistoryEvent> recorded;
    std::string historyPath;
};
