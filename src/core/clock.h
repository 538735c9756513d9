#pragma once
#include <chrono>

namespace core {

using TimePoint = std::chrono::system_clock::time_point;

/// The source of the current date and time; injected so that tests can set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
};

/// The real clock.
class SystemClock : public Clock {
public:
    TimePoint Now() const override { return std::chrono::system_clock::now(); }
};

/// A clock that shows whatever the test sets.
class ManualClock : public Clock {
public:
    explicit ManualClock(TimePoint now = {}) : now_(now) {}
    TimePoint Now() const override { return now_; }
    void Set(TimePoint now) { now_ = now; }
    void Advance(std::chrono::milliseconds by) { now_ += by; }

private:
    TimePoint now_;
};

} // namespace core
