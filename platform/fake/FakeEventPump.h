#pragma once
// A virtual-time event pump for tests, the in-process simulator and the fault sweep.
// Nothing ever sleeps: yieldUntil jumps the clock to the next scheduled event or to
// the deadline.

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/EventPump.h"

namespace vor {

class FakeEventPump : public EventPump {
public:
    // The least time one yield lets pass when nothing is due (keeps loops moving).
    static constexpr double MinimumStep = 0.001;

    double now() override { return now_; }
    void yieldUntil(double deadline) override;
    void sleepFor(double seconds) override;
    LocalTime localTime() override;

    // Runs `action` inside the first yield that reaches time `at` (events due at the
    // same time run in the order scheduled).
    void schedule(double at, std::function<void()> action);
    void scheduleIn(double delay, std::function<void()> action) { schedule(now_ + delay, std::move(action)); }

    // The local time at monotonic time 0; localTime() advances with the clock.
    void setLocalTimeBase(const LocalTime& base) { base_ = base; }

    // After this, yields throw ProgramEnding.
    void endProgram() { ending_ = true; }
    bool ending() const { return ending_; }

    std::uint64_t yieldCount() const { return yields_; }

private:
    double now_ = 0.0;
    std::uint64_t nextSeq_ = 0;
    std::uint64_t yields_ = 0;
    bool ending_ = false;
    LocalTime base_{2026, 12, 7, 10, 0, 0};
    std::map<std::pair<double, std::uint64_t>, std::function<void()>> events_;
};

}  // namespace vor
