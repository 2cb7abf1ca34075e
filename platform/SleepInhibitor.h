#pragma once
// Keeps the computer from suspending while the DC is being written: a suspend in the
// middle of an upload or a profile write-back leaves the DC without firmware or
// profile. The wizard holds a SleepBlock for exactly that time; the block is
// released when it goes out of scope, on every ending (ProgramEnding and other
// exceptions included).
//
// Blocking is best effort: where the platform refuses, the update still runs.

#include <memory>
#include <string>

namespace vor {

class SleepInhibitor {
public:
    // Released by destruction.
    class Hold {
    public:
        virtual ~Hold() = default;
    };

    virtual ~SleepInhibitor() = default;
    // A hold that keeps the computer awake; null when the platform refused.
    virtual std::unique_ptr<Hold> inhibit(const std::string& why) = 0;
};

// Reasons shown by the platform (e.g. in `systemd-inhibit --list`).
constexpr const char* SleepWhyUpdate = "Updating the dive computer";
constexpr const char* SleepWhyRecovery = "Writing the profile back into the dive computer";

// The running system's inhibitor: logind over the system D-Bus on Linux,
// SetThreadExecutionState on Windows, none elsewhere.
std::unique_ptr<SleepInhibitor> MakeSystemSleepInhibitor();

}  // namespace vor
