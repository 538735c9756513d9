#pragma once
#include "core/canceltoken.h"
#include "core/lookup.h"
#include "core/status.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class LookupSession;
namespace sound {
class UiWorker;
}

/// One search of the lookup window: a request object whose task runs on the window's lookup
/// worker, carries a cancel flag and reports Finished on the interface thread. The task only
/// searches (through the core) and builds texts; it touches no control and writes no file,
/// and it holds no reference to the request, so that destroying the request never waits:
/// it cancels the task, and nothing is reported after it is gone.
class WSelect : public QObject {
    Q_OBJECT
public:
    /// What a finished search found, ready to be shown.
    struct Result {
        bool cancelled = false; ///< cancelled, or the session closed: nothing to show
        std::string query;
        std::vector<core::BankHit> hits;     ///< one per bank, in search order
        std::string PageText;                ///< the result page ("" when no bank had a hit)
        std::string firstHitPage;            ///< the page as it stood at the first hit
        std::string sentences;               ///< the example sentences, lines ended by "\n"
        std::vector<std::string> closeWords; ///< offered when a word was found in no bank
        std::vector<core::Status> failures;  ///< files this search found unreadable
        core::Status error; ///< what stopped the search unexpectedly (LookupFailed); ok if none
    };

    /// A search of query in session, to run on worker (which must outlive Start).
    WSelect(sound::UiWorker& worker, std::shared_ptr<LookupSession> session, std::string query,
            core::BankMatch match, QObject* parent = nullptr);
    ~WSelect() override;
    WSelect(const WSelect&) = delete;
    WSelect& operator=(const WSelect&) = delete;

    const std::string& Query() const { return query_; }

    /// Queues the search on the worker (once).
    void Start();
    /// Asks the search to stop at its next step; Finished still comes, with cancelled set.
    void Cancel();
    bool Cancelled() const { return stop_->load(); }
    /// True once the result has been handed over (Finished is being or was emitted).
    bool IsFinished() const { return done_; }
    /// The result, moved out; only after Finished.
    Result TakeResult();

signals:
    void Finished();

private:
    sound::UiWorker& worker_;
    const std::shared_ptr<LookupSession> session_;
    const std::string query_;
    const core::BankMatch match_;
    /// Cancel's flag, shared with the task: unlike the task's token it lets the result come.
    const std::shared_ptr<std::atomic<bool>> stop_;
    core::CancelToken task_; ///< the queued task; empty before Start
    bool started_ = false;
    Result result_;
    bool done_ = false;
};
