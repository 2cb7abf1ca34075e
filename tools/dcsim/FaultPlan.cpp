#include "tools/dcsim/FaultPlan.h"

#include <array>
#include <utility>

namespace vor::sim {

namespace {

constexpr std::array<std::pair<UnitKind, const char*>, UnitKindCount> KindNames{{
    {UnitKind::Identity, "84"},
    {UnitKind::DeepSleep, "a8"},
    {UnitKind::Revision, "ba"},
    {UnitKind::MemoryRead, "b4"},
    {UnitKind::LineRequest, "b2"},
    {UnitKind::LineData, "b2-data"},
    {UnitKind::Announce1, "b5"},
    {UnitKind::BlockData1, "b5-data"},
    {UnitKind::Close1, "b6"},
    {UnitKind::Announce2, "b7"},
    {UnitKind::BlockData2, "b7-data"},
    {UnitKind::Argument2, "b8"},
    {UnitKind::Close2, "b9"},
    {UnitKind::ClockOpen, "97"},
    {UnitKind::ClockRecord, "97-data"},
}};

}  // namespace

bool ParseUnitKind(const std::string& name, UnitKind& kind) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const auto& [k, n] : KindNames) {
        if (lower == n) {
            kind = k;
            return true;
        }
    }
    return false;
}

std::optional<FaultRule> FaultPlan::decide(UnitKind kind, int kindCount, int total, double at) {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const FaultRule& rule = rules_[i];
        // The DC as a whole (or for one kind) is silent or refusing.
        if (at <= activeUntil_[i] && (!rule.sameKindOnly || rule.kind == kind)) return rule;
        if (!rule.anyKind && rule.kind != kind) continue;
        if (rule.nth > 0) {
            if ((rule.anyKind ? total : kindCount) == rule.nth) {
                if (rule.lastsFor > 0.0) activeUntil_[i] = at + rule.lastsFor;
                return rule;
            }
        } else if (rule.probability > 0.0 && random_.unit() < rule.probability) {
            return rule;
        }
    }
    return std::nullopt;
}

}  // namespace vor::sim
