#pragma once
#include "core/lookup.h"
#include "core/status.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LookupSession;

/// One search of the lookup window: a request object that owns its worker thread, carries a
/// cancel flag and reports Finished on the thread that created it (the interface thread).
/// The worker only searches (through the core) and builds texts; it touches no control and
/// writes no file. Destroying the request cancels it and waits for its thread.
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
        std::string error;                   ///< what stopped the search unexpectedly
    };

    WSelect(std::shared_ptr<LookupSession> session, std::string query, core::BankMatch match,
            QObject* parent = nullptr);
    ~WSelect() override;
    WSelect(const WSelect&) = delete;
    WSelect& operator=(const WSelect&) = delete;

    const std::string& Query() const { return query_; }

    /// Starts the worker (once).
    void Start();
    /// Asks the worker to stop at its next step; Finished still comes, with cancelled set.
    void Cancel();
    bool Cancelled() const { return cancel_.load(); }
    /// True once the worker has handed over its result.
    bool IsFinished() const;
    /// The result, moved out; only after Finished.
    Result TakeResult();

signals:
    void Finished();

private:
    Q_INVOKABLE void ReportFinished();
    void Run();
    void Search(Result& result);

    const std::shared_ptr<LookupSession> session_;
    const std::string query_;
    const core::BankMatch match_;
    std::atomic<bool> cancel_{false};
    mutable std::mutex mutex_; ///< guards result_ and done_ between worker and interface
    Result result_;
    bool done_ = false;
    std::thread thread_;
};
