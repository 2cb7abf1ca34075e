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
    FaultPlan(std::vector<FaultRule> rules, std::uint64_t seed) : rules_(std::move(rules)), random_(seed ^ 0xFA17ull) {}

    // `kindCount` and `total` count this unit already (the first unit is 1).
    std::optional<FaultRule> decide(UnitKind kind, int kindCount, int total);

private:
    std::vector<FaultRule> rules_;
    SimRandom random_;
};

}  // namespace vor::sim
