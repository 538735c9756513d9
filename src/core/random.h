#pragma once
#include <cstdint>
#include <random>

namespace core {

/// Where the modes take their random draws from; injected so that tests can fix the draws.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    /// A number in [0, n), every value equally likely; 0 when n is 0.
    virtual std::uint32_t Below(std::uint32_t n) = 0;
};

/// The program's random source: seeded once when it is made, never reseeded per draw (two
/// reseeds from the clock within one tick would repeat the same draws).
class SeededRandom : public RandomSource {
public:
    /// Seeds from the system's entropy source.
    SeededRandom() : engine_(std::random_device{}()) {}
    /// A fixed seed: the same seed gives the same draws (tests and benchmarks).
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}

    std::uint32_t Below(std::uint32_t n) override {
        if (n == 0) {
            return 0;
        }
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(engine_);
    }

private:
    std::mt19937_64 engine_;
};

} // namespace core
