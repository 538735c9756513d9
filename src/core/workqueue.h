#pragma once
#include "canceltoken.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

namespace core {

/// One worker thread that runs the tasks posted to it, one at a time and in the order posted.
/// Each task sees its CancelToken. A task may hand results to a receiving thread (in the
/// program, the interface thread) through the poster given at construction; a delivery runs
/// there only if its task was not cancelled by then. Cancelling from the receiving thread
/// therefore guarantees that nothing of the cancelled tasks is delivered afterwards.
/// Destroying the queue cancels every task and waits for the one running.
class WorkQueue {
public:
    /// What a task does on the worker; it must not throw.
    using Task = std::function<void(const CancelToken&)>;
    /// Runs a callable on the receiving thread, later (a queued call).
    using Poster = std::function<void(std::function<void()>)>;

    /// poster carries deliveries to the receiving thread.
    explicit WorkQueue(Poster poster);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    /// Queues task; the token returned cancels it alone. Callable from any thread.
    CancelToken Post(Task task);

    /// Queues work, whose result is handed to deliver on the receiving thread unless the
    /// task was cancelled by then. Both must be copyable (they are kept in std::function).
    template <class WorkFn, class DeliverFn> CancelToken Post(WorkFn work, DeliverFn deliver) {
        using Result = std::invoke_result_t<WorkFn&, const CancelToken&>;
        return Post(Task([this, work = std::move(work),
                          deliver = std::move(deliver)](const CancelToken& token) mutable {
            Result result = work(token);
            if (!token.Cancelled()) {
                Deliver(token, [deliver, result = std::move(result)]() mutable {
                    deliver(std::move(result));
                });
            }
        }));
    }

    /// Hands piece to the receiving thread for the task of token (called from that task, for
    /// results that come in parts); dropped there if the task is cancelled by then.
    void Deliver(const CancelToken& token, std::function<void()> piece);

    /// Drops the tasks not started, tells the running one to stop, and drops every delivery
    /// of them still to come. Tasks posted afterwards run as usual.
    void Cancel();

private:
    struct Job {
        Task task;
        CancelToken token;
    };
    void Loop();

    const Poster poster_;
    const std::shared_ptr<std::atomic<std::uint64_t>> cancels_;
    std::mutex mutex_; ///< guards what follows
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool quit_ = false;
    std::thread worker_; ///< last: starts once the rest is ready
};

} // namespace core
