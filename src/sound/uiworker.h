#pragma once
#include "core/canceltoken.h"
#include "core/workqueue.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <utility>

namespace sound {

class UiMailbox;

/// A core::WorkQueue whose results reach the thread that made it (the interface thread) as
/// queued calls. This is the one way work done off the interface thread comes back to it: a
/// result is handed over only if its task was not cancelled and its context object still
/// exists when the call runs. Make, use and destroy it on the interface thread; destroying it
/// cancels every task, waits for the running one and drops the calls still queued.
class UiWorker {
public:
    UiWorker();
    ~UiWorker();
    UiWorker(const UiWorker&) = delete;
    UiWorker& operator=(const UiWorker&) = delete;

    /// Runs work on the worker and hands its result to deliver on the interface thread, unless
    /// the task is cancelled or context is gone by then. Both must be copyable.
    template <class WorkFn, class DeliverFn>
    core::CancelToken Post(QObject* context, WorkFn work, DeliverFn deliver) {
        return queue_.Post(std::move(work), [guard = QPointer<QObject>(context),
                                             deliver = std::move(deliver)](auto result) mutable {
            if (guard) {
                deliver(std::move(result));
            }
        });
    }
    /// Runs task on the worker; nothing comes back.
    core::CancelToken Post(core::WorkQueue::Task task) { return queue_.Post(std::move(task)); }

    /// From a running task: hands piece to the interface thread, unless the task is cancelled
    /// or context is gone by then. context is a guard made on the interface thread when the
    /// task was posted.
    void Deliver(const core::CancelToken& token, const QPointer<QObject>& context,
                 std::function<void()> piece);

    /// Drops the tasks not started, tells the running one to stop, and drops their results.
    void Cancel() { queue_.Cancel(); }

private:
    /// Lives on the interface thread; the queued calls are made to it, so that they never
    /// target an object that the worker could see half destroyed.
    std::unique_ptr<UiMailbox> receiver_;
    core::WorkQueue queue_; ///< after the receiver: stopped before it goes
};

} // namespace sound
