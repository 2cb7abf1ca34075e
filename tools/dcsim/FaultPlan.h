#pragma once
// Decides, unit by unit, which configured fault (if any) the DC shows. Rules are
// tried in order; the first that fires wins. Probability rules draw from a seeded
// generator, so a run repeats exactly.

#include <optional>
#include <vector>

#include "tools/dcsim/DcConfig.h"
#include "tools/dcsim/SimRandom.h"

namespace vor::sim {

class FaultPlan {
public:
    FaultPlan(std::vector<FaultRule> rules, std::uint64_t seed)
        : rules_(std::move(rules)), activeUntil_(rules_.size(), -1.0), random_(seed ^ 0xFA17ull) {}

    // `kindCount` and `total` count this unit already (the first unit is 1); `at` is
    // its arrival time, which never goes back.
    std::optional<FaultRule> decide(UnitKind kind, int kindCount, int total, double at);
    void add(FaultRule rule) {
        rules_.push_back(rule);
        activeUntil_.push_back(-1.0);
    }

private:
    std::vector<FaultRule> rules_;
    std::vector<double> activeUntil_;  // per rule: end of its window once fired
    SimRandom random_;
};

}  // namespace vor::sim
