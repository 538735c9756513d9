#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

namespace core {

/// The cancel flag of one task of a WorkQueue, shared by the task, its delivery and whoever
/// posted it. A task polls it between its steps; a delivery whose token is cancelled is
/// dropped. Copies share one flag. A default token is never cancelled and cannot be.
class CancelToken {
public:
    CancelToken() = default;

    /// True once this task, or every task of its queue, was cancelled.
    bool Cancelled() const;
    /// Cancels this task only: dropped if it has not started, told to stop if it runs, and
    /// its result is not delivered. Callable from any thread.
    void Cancel() const;

private:
    friend class WorkQueue;
    struct State {
        std::atomic<bool> own{false};
        /// The queue's count of Cancel() calls; the task is cancelled once it has moved on.
        std::shared_ptr<const std::atomic<std::uint64_t>> queueCancels;
        std::uint64_t postedAt = 0;
    };
    explicit CancelToken(std::shared_ptr<State> state) : state_(std::move(state)) {}

    std::shared_ptr<State> state_;
};

} // namespace core
