#include "core/workqueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using core::CancelToken;
using core::WorkQueue;

namespace {

/// The receiving thread's queue of calls: the poster fills it from the worker, the test
/// thread runs them when it drains it (as the interface thread runs queued calls).
class Mailbox {
public:
    WorkQueue::Poster Poster() {
        return [this](std::function<void()> call) {
            std::lock_guard<std::mutex> lock(mutex_);
            calls_.push_back(std::move(call));
        };
    }
    void Drain() {
        for (;;) {
            std::function<void()> call;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (calls_.empty()) {
                    return;
                }
                call = std::move(calls_.front());
                calls_.pop_front();
            }
            call();
        }
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};

/// Blocks until every task posted before it has run.
void WaitForTasksBefore(WorkQueue& queue) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> reached = done->get_future();
    queue.Post([done](const CancelToken&) { done->set_value(); });
    reached.wait();
}

enum class Action {
    None,
    CancelQueue,         ///< Cancel() while "a" runs and "b" waits
    CancelRunning,       ///< a's token while it runs
    CancelWaiting,       ///< b's token while it waits
    CancelQueueAfterRun, ///< Cancel() once both ran, before their deliveries are run
    CancelOneAfterRun,   ///< a's token once both ran, before the deliveries are run
};

struct CancelRow {
    const char* name;
    Action action;
    std::vector<std::string> ran;
    std::vector<std::string> delivered;
    bool runningToldToStop; ///< "a" saw its token cancelled
};

class WorkQueueCancel : public ::testing::TestWithParam<CancelRow> {};

TEST_P(WorkQueueCancel, RunsAndDeliversWhatWasNotCancelled) {
    const CancelRow& row = GetParam();
    Mailbox mailbox;
    WorkQueue queue(mailbox.Poster());
    std::vector<std::string> ran; // worker only until WaitForTasksBefore returns
    std::vector<std::string> delivered;
    std::promise<void> started;
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    bool toldToStop = false;

    const CancelToken a = queue.Post(
        [&](const CancelToken& token) {
            ran.push_back("a");
            started.set_value();
            opened.wait();
            toldToStop = token.Cancelled();
            return std::string("a");
        },
        [&](std::string r) { delivered.push_back(r); });
    const CancelToken b = queue.Post(
        [&](const CancelToken&) {
            ran.push_back("b");
            return std::string("b");
        },
        [&](std::string r) { delivered.push_back(r); });
    started.get_future().wait();
    switch (row.action) {
    case Action::CancelQueue:
        queue.Cancel();
        break;
    case Action::CancelRunning:
        a.Cancel();
        break;
    case Action::CancelWaiting:
        b.Cancel();
        break;
    default:
        break;
    }
    gate.set_value();
    WaitForTasksBefore(queue); // tasks posted after a Cancel() still run
    if (row.action == Action::CancelQueueAfterRun) {
        queue.Cancel();
    } else if (row.action == Action::CancelOneAfterRun) {
        a.Cancel();
    }
    mailbox.Drain();

    EXPECT_EQ(ran, row.ran);
    EXPECT_EQ(delivered, row.delivered);
    EXPECT_EQ(toldToStop, row.runningToldToStop);
    EXPECT_EQ(a.Cancelled(), row.action != Action::None && row.action != Action::CancelWaiting);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WorkQueueCancel,
    ::testing::Values(
        CancelRow{"Nothing", Action::None, {"a", "b"}, {"a", "b"}, false},
        CancelRow{"Queue", Action::CancelQueue, {"a"}, {}, true},
        CancelRow{"RunningTask", Action::CancelRunning, {"a", "b"}, {"b"}, true},
        CancelRow{"WaitingTask", Action::CancelWaiting, {"a"}, {"a"}, false},
        CancelRow{"QueueBeforeDelivery", Action::CancelQueueAfterRun, {"a", "b"}, {}, false},
        CancelRow{"OneBeforeDelivery", Action::CancelOneAfterRun, {"a", "b"}, {"b"}, false}),
    [](const ::testing::TestParamInfo<CancelRow>& info) { return info.param.name; });

TEST(WorkQueue, PiecesOfAResultStopWhenItIsCancelled) {
    Mailbox mailbox;
    WorkQueue queue(mailbox.Poster());
    std::vector<int> pieces;
    std::promise<void> firstTwoSent;
    std::promise<void> cancelled;
    std::shared_future<void> goOn = cancelled.get_future().share();
    const CancelToken token = queue.Post([&](const CancelToken& own) {
        queue.Deliver(own, [&pieces] { pieces.push_back(1); });
        queue.Deliver(own, [&pieces] { pieces.push_back(2); });
        firstTwoSent.set_value();
        goOn.wait();
        queue.Deliver(own, [&pieces] { pieces.push_back(3); });
    });
    firstTwoSent.get_future().wait();
    mailbox.Drain(); // the first two arrive while the task still runs
    token.Cancel();
    cancelled.set_value();
    WaitForTasksBefore(queue);
    mailbox.Drain();
    EXPECT_EQ(pieces, (std::vector<int>{1, 2}));
}

TEST(WorkQueue, DestroyedWhileATaskRunsStopsItAndDeliversNothing) {
    Mailbox mailbox;
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> secondRan{false};
    int delivered = 0;
    {
        WorkQueue queue(mailbox.Poster());
        std::promise<void> started;
        queue.Post(
            [&](const CancelToken& token) {
                started.set_value();
                while (!token.Cancelled()) {
                    std::this_thread::yield();
                }
                sawCancel = true;
                return 1;
            },
            [&delivered](int) { ++delivered; });
        queue.Post(
            [&](const CancelToken&) {
                secondRan = true;
                return 2;
            },
            [&delivered](int) { ++delivered; });
        started.get_future().wait();
    } // cancels, and returns only once the running task has returned
    EXPECT_TRUE(sawCancel.load());
    EXPECT_FALSE(secondRan.load());
    mailbox.Drain();
    EXPECT_EQ(delivered, 0);
}

TEST(WorkQueue, RunsAndDeliversInOrderWhatManyThreadsPost) {
    constexpr int Producers = 4;
    constexpr int Each = 500;
    Mailbox mailbox;
    WorkQueue queue(mailbox.Poster());
    std::vector<std::pair<int, int>> ran; // (producer, sequence), worker only
    std::vector<std::pair<int, int>> delivered;
    std::vector<std::thread> producers;
    for (int p = 0; p < Producers; ++p) {
        producers.emplace_back([&, p] {
            for (int k = 0; k < Each; ++k) {
                queue.Post(
                    [&ran, p, k](const CancelToken&) {
                        ran.emplace_back(p, k);
                        return std::make_pair(p, k);
                    },
                    [&delivered](std::pair<int, int> r) { delivered.push_back(r); });
            }
        });
    }
    for (auto& producer : producers) {
        producer.join();
    }
    WaitForTasksBefore(queue);
    mailbox.Drain();
    ASSERT_EQ(ran.size(), static_cast<std::size_t>(Producers * Each));
    EXPECT_EQ(delivered, ran);
    std::vector<int> next(Producers, 0);
    for (const auto& [p, k] : ran) {
        EXPECT_EQ(k, next[static_cast<std::size_t>(p)]++) << "producer " << p;
    }
}

} // namespace
