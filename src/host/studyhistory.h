#pragma once
#include "core/historyevent.h"
#include "core/status.h"
#include "core/studysession.h"
#include "sound/uiworker.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QTimer;
namespace core {
class Clock;
class HistoryWriter;
class StudyState;
} // namespace core

/// The signed-in learner's study history as the program writes it: events are dated by the
/// clock and appended at once; the flush to the disk follows within a second, on a worker, so
/// that an answer never waits for the disk. Answers and scores also make up the study periods.
class StudyHistory : public QObject {
    Q_OBJECT
public:
    StudyHistory(core::StudyState& state, const core::Clock& clock, QObject* parent = nullptr);
    ~StudyHistory() override;

    /// Starts the history of the signed-in learner (ending one that was open) and records the
    /// sizes of the lists.
    void Open();
    /// Ends the open study period and flushes everything; later events are dropped.
    void Close();
    /// Records event at the clock's time (its own time is replaced).
    void Record(core::HistoryEvent event);
    /// Records the sizes of the three lists as they are now.
    void RecordLists();
    /// The history file; empty while none is open.
    std::string Path() const;
    /// Called with the first failure to write; later ones are not reported again.
    std::function<void(const core::Status&)> OnFailure;
    /// The flush timer (1 s, single shot).
    QTimer* SyncTimer() const { return syncTimer_; }

private:
    void Append(const core::HistoryEvent& event);
    void Failed(const core::Status& status);

    core::StudyState& state_;
    const core::Clock& clock_;
    std::shared_ptr<core::HistoryWriter> writer_;
    core::StudySessionTracker sessions_;
    QTimer* syncTimer_;
    bool failureReported_ = false;
    sound::UiWorker worker_; ///< last: stopped before the rest goes
};
