#pragma once
// Cuts the received byte stream into units the way a receiver without framing must:
// a command's first byte gives its length, a data unit's length is known from the
// command that announced it, and every unit ends with the 0x00 byte the program
// appends to each transmission. A unit whose trailing byte is not 0x00, or that
// starts with an unknown code, is ignored up to the next silence; a unit left
// incomplete is dropped after `dropAfter` seconds of silence. Both return the
// receiver to expecting a command, so the program's resends get back in step.
//
// A data unit that repeats, byte for byte, the line or clock record just stored
// (sent again because its acknowledgement was lost) comes out as a repeat, as long as
// no command came in between. Bytes that also make a complete command are that
// command.

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/dcsim/DcConfig.h"

namespace vor::sim {

struct Unit {
    UnitKind kind;
    std::vector<std::uint8_t> bytes;  // without the trailing 0x00
    double at;                        // arrival of its last byte
    bool repeat = false;              // the data unit stored last, sent again
};

class UnitFramer {
public:
    explicit UnitFramer(double dropAfter) : dropAfter_(dropAfter) {}

    // The next unit is the data of an acknowledged command (block, line, clock record).
    void expectData(UnitKind kind) { expectedData_ = kind; }
    // Forgets any partial unit and waits for a command.
    void reset();
    // The data unit just stored: an identical one before the next command is a repeat.
    void rememberStored(UnitKind kind, std::vector<std::uint8_t> bytes);

    // One byte that arrived at `at`; returns the unit it completes, if any.
    std::optional<Unit> push(std::uint8_t byte, double at);

    int droppedUnits() const { return dropped_; }

private:
    void resetUnit();
    // Follows the byte against the remembered unit; true when it completes a repeat.
    bool matchRepeat(std::uint8_t byte);

    double dropAfter_;
    std::optional<UnitKind> expectedData_;
    std::optional<UnitKind> kind_;  // kind of the unit being assembled
    int payload_ = 0;               // its length without the trailing 0x00
    std::vector<std::uint8_t> partial_;
    bool discarding_ = false;
    double lastByteAt_ = 0.0;
    int dropped_ = 0;
    std::optional<UnitKind> storedKind_;  // the data unit a repeat would match
    std::vector<std::uint8_t> stored_;
    int repeatMatched_ = -1;  // bytes of the current unit matching it; -1 = no match
};

// Payload length of a data unit (without the trailing 0x00).
int DataLength(UnitKind kind);

}  // namespace vor::sim
