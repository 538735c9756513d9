#include "workqueue.h"

namespace core {

WorkQueue::WorkQueue(Poster poster)
    : poster_(std::move(poster)), cancels_(std::make_shared<std::atomic<std::uint64_t>>(0)),
      worker_([this] { Loop(); }) {
}

WorkQueue::~WorkQueue() {
    Cancel();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

CancelToken WorkQueue::Post(Task task) {
    auto state = std::make_shared<CancelToken::State>();
    state->queueCancels = cancels_;
    CancelToken token(state);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Read under the lock that Cancel() raises it under, so that a task is either
        // cleared by a Cancel() or posted after it, never half of each.
        state->postedAt = cancels_->load();
        jobs_.push_back(Job{std::move(task), token});
    }
    wake_.notify_one();
    return token;
}

void WorkQueue::Deliver(const CancelToken& token, std::function<void()> piece) {
    auto guarded = [token, piece = std::move(piece)] {
        if (!token.Cancelled()) {
            piece();
        }
    };
    poster_(std::move(guarded));
}

void WorkQueue::Cancel() {
    std::deque<Job> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancels_->fetch_add(1);
        dropped.swap(jobs_);
    }
    // The dropped tasks' captures are freed here, outside the lock.
}

void WorkQueue::Loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
            if (quit_) {
                return; // the destructor cleared the queue before it asked this
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        if (!job.token.Cancelled()) {
            job.task(job.token);
        }
    }
}

} // namespace core
