#pragma once
// Everything that makes one simulated dive computer: what it reports, what its memory
// holds, how fast it answers and which faults it shows. Plain values; the defaults
// are the demo DC.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace vor::sim {

// The units the DC tells apart on the line: each command, and each data unit that
// follows an acknowledged command. Faults and exchange counts are kept per kind.
enum class UnitKind {
    Identity,     // 84
    DeepSleep,    // A8 v
    Revision,     // BA
    MemoryRead,   // B4 hi lo
    LineRequest,  // B2 hi lo
    LineData,     // 16 bytes + check byte
    Announce1,    // B5 hi lo
    BlockData1,   // 128 bytes + check byte after B5
    Close1,       // B6 hi lo
    Announce2,    // B7 hi lo
    BlockData2,   // 128 bytes + check byte after B7
    Argument2,    // B8 hi lo
    Close2,       // B9 hi lo
    ClockOpen,    // 97
    ClockRecord,  // 9-byte record
};
constexpr int UnitKindCount = 15;

// Short names used by the command line and the control channel: "84", "b5",
// "b5-data", ... Returns false for an unknown name.
bool ParseUnitKind(const std::string& name, UnitKind& kind);
std::string UnitKindName(UnitKind kind);

enum class ProfileKind {
    Seeded,   // pseudo-random bytes between start and end pointer, end after start
    Empty,    // start pointer equals end pointer
    Wrapped,  // end pointer below start pointer (the whole area is in use)
    Full,     // start at the first and end at the last line of the profile area
};

enum class FaultAction {
    Reject,          // answer A5 and ignore the unit
    Silent,          // the unit never reached the DC: no answer, no effect
    LoseReply,       // the unit takes effect, but its answer is lost
    GarbageBefore,   // line noise ahead of the answer
    GarbageAfter,    // line noise after the answer
    PullCable,       // the cable is pulled instead of answering
    StoreOtherByte,  // a data unit is acknowledged but stored with its first byte changed
};

// Fires on the nth unit of `kind` (nth counts from 1; anyKind counts every unit), or,
// when nth is 0, on each unit with the given probability (seeded, repeatable).
// With `lastsFor` > 0 an nth rule, once fired, goes on firing on every unit of any
// kind that arrives within that many seconds after the one that fired it: the DC goes
// silent or refuses everything from that moment, then heals.
struct FaultRule {
    FaultAction action = FaultAction::Reject;
    bool anyKind = false;
    UnitKind kind = UnitKind::Identity;
    int nth = 0;
    double probability = 0.0;
    int garbageCount = 3;
    double lastsFor = 0.0;
    bool sameKindOnly = false;  // the lasting window covers only units of `kind`
};

struct DcConfig {
    // Identity and firmware.
    std::string model = "VOR";
    std::string version = "1E";
    std::uint8_t revision = 1;
    std::uint32_t serial = 12345;
    std::string newVersion = "1H";  // reported after an accepted section 1
    std::uint8_t newRevision = 3;   // reported after an accepted section 2
    // The revision reply: byte 0 is not used by the program and may hold anything.
    std::uint8_t revisionByte0 = 0xBA;  // an echo of the command
    bool revisionStray = false;         // a stray byte ahead of every revision reply

    // Memory.
    int memorySize = 512;  // size class: 512 or 1024
    ProfileKind profile = ProfileKind::Seeded;
    std::uint32_t seed = 1;

    // Line and timing (seconds).
    double byteTime = 10.0 / 38400.0;  // 10 bits per byte at 38400 bit/s
    double processingDelay = 0.001;    // from a unit's last byte to the first reply byte
    double dropAfter = 0.050;          // silence that drops an incomplete unit
    double restartSeconds = 5.0;       // silence after an accepted section
    double pcScreenSeconds = 120.0;    // PC-screen countdown; 0 keeps it on for ever
    double wakeAfter = -1.0;           // >= 0: wakes itself this long after a deep-sleep command
    double wakeDelay = 0.0;            // from the button press to the PC screen
    static constexpr double Never = std::numeric_limits<double>::infinity();

    // Faults.
    bool neverRestart = false;
    int profileLineShift = 0;  // line writes into the profile area land this many lines away
    int chunkSize = 0;         // > 0: every answer leaves in chunks of this many bytes
    double chunkGap = 0.002;   // pause between two chunks
    std::vector<FaultRule> faults{};
};

}  // namespace vor::sim
