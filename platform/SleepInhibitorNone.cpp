// Platforms without a supported inhibitor: the update runs without one.

#include "platform/SleepInhibitor.h"

namespace vor {
namespace {

class NoSleepInhibitor : public SleepInhibitor {
public:
    std::unique_ptr<Hold> inhibit(const std::string&) override { return nullptr; }
};

}  // namespace

std::unique_ptr<SleepInhibitor> MakeSystemSleepInhibitor() { return std::make_unique<NoSleepInhibitor>(); }

}  // namespace vor
