#pragma once
// A small seeded generator (splitmix64): the same seed gives the same bytes and the
// same fault decisions on every platform, which std distributions do not promise.

#include <cstdint>

namespace vor::sim {

class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 56); }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::uint64_t state_;
};

}  // namespace vor::sim
