#include "platform/fake/FakeEventPump.h"

#include <algorithm>
#include <ctime>

namespace vor {

void FakeEventPump::yieldUntil(double deadline) {
    if (ending_) throw ProgramEnding();
    ++yields_;
    const double target = std::max(deadline, now_ + MinimumStep);
    if (!events_.empty() && events_.begin()->first.first <= target) {
        now_ = std::max(now_, events_.begin()->first.first);
        // Serve everything due by now, including what those actions schedule for now.
        while (!events_.empty() && events_.begin()->first.first <= now_) {
            auto action = std::move(events_.begin()->second);
            events_.erase(events_.begin());
            action();
        }
    } else {
        now_ = target;
    }
    if (ending_) throw ProgramEnding();
}

void FakeEventPump::sleepFor(double seconds) { now_ += std::max(seconds, 0.0) + MinimumStep; }

void FakeEventPump::schedule(double at, std::function<void()> action) {
    events_.emplace(std::make_pair(at, nextSeq_++), std::move(action));
}

LocalTime FakeEventPump::localTime() {
    std::tm t{};
    t.tm_year = base_.year - 1900;
    t.tm_mon = base_.month - 1;
    t.tm_mday = base_.day;
    t.tm_hour = base_.hour;
    t.tm_min = base_.minute;
    t.tm_sec = base_.second + static_cast<int>(now_);
    t.tm_isdst = 0;
    // Normalises the overflowing seconds.
#ifdef _WIN32
    _mkgmtime(&t);
#else
    timegm(&t);
#endif
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

}  // namespace vor
