#include "tools/dcsim/UnitFramer.h"

namespace vor::sim {

namespace {

struct CommandShape {
    UnitKind kind;
    int payload;  // bytes including the code, without the trailing 0x00
};

std::optional<CommandShape> ShapeOf(std::uint8_t code) {
    switch (code) {
    case 0x84: return CommandShape{UnitKind::Identity, 1};
    case 0xBA: return CommandShape{UnitKind::Revision, 1};
    case 0x97: return CommandShape{UnitKind::ClockOpen, 1};
    case 0xA8: return CommandShape{UnitKind::DeepSleep, 2};
    case 0xB4: return CommandShape{UnitKind::MemoryRead, 3};
    case 0xB2: return CommandShape{UnitKind::LineRequest, 3};
    case 0xB5: return CommandShape{UnitKind::Announce1, 3};
    case 0xB6: return CommandShape{UnitKind::Close1, 3};
    case 0xB7: return CommandShape{UnitKind::Announce2, 3};
    case 0xB8: return CommandShape{UnitKind::Argument2, 3};
    case 0xB9: return CommandShape{UnitKind::Close2, 3};
    default: return std::nullopt;
    }
}

}  // namespace

int DataLength(UnitKind kind) {
    switch (kind) {
    case UnitKind::LineData: return 17;
    case UnitKind::BlockData1:
    case UnitKind::BlockData2: return 129;
    case UnitKind::ClockRecord: return 9;
    default: return 0;
    }
}

void UnitFramer::resetUnit() {
    expectedData_.reset();
    kind_.reset();
    partial_.clear();
    discarding_ = false;
    repeatMatched_ = -1;
}

void UnitFramer::reset() {
    resetUnit();
    storedKind_.reset();
    stored_.clear();
}

void UnitFramer::rememberStored(UnitKind kind, std::vector<std::uint8_t> bytes) {
    storedKind_ = kind;
    stored_ = std::move(bytes);
}

bool UnitFramer::matchRepeat(std::uint8_t byte) {
    const bool unitStart = partial_.empty() && !discarding_ && !expectedData_;
    if (unitStart && storedKind_) repeatMatched_ = 0;
    if (repeatMatched_ < 0) return false;
    const auto n = static_cast<std::size_t>(repeatMatched_);
    const std::uint8_t expected = n < stored_.size() ? stored_[n] : 0x00;
    if (byte != expected) {
        repeatMatched_ = -1;
        return false;
    }
    ++repeatMatched_;
    return n == stored_.size();  // the trailing 0x00 matched too
}

std::optional<Unit> UnitFramer::push(std::uint8_t byte, double at) {
    const bool busy = discarding_ || !partial_.empty() || repeatMatched_ > 0;
    if (busy && at - lastByteAt_ > dropAfter_) {
        if (!partial_.empty()) ++dropped_;
        resetUnit();  // a silence ends the unit, not the chance of a repeat
    }
    lastByteAt_ = at;
    if (matchRepeat(byte)) {
        Unit unit{*storedKind_, stored_, at, true};
        resetUnit();
        return unit;
    }
    if (discarding_) return std::nullopt;

    if (partial_.empty()) {
        if (expectedData_) {
            kind_ = *expectedData_;
            payload_ = DataLength(*expectedData_);
        } else if (auto shape = ShapeOf(byte)) {
            kind_ = shape->kind;
            payload_ = shape->payload;
        } else {
            discarding_ = true;
            return std::nullopt;
        }
    }
    partial_.push_back(byte);
    if (static_cast<int>(partial_.size()) <= payload_) return std::nullopt;

    // The byte after the payload must be the program's trailing 0x00.
    if (byte != 0x00) {
        ++dropped_;
        // Not a command; it may still turn out to be a repeat.
        expectedData_.reset();
        kind_.reset();
        partial_.clear();
        discarding_ = true;
        return std::nullopt;
    }
    partial_.pop_back();
    Unit unit{*kind_, std::move(partial_), at, false};
    const bool command = !expectedData_;
    resetUnit();
    if (command) {  // a command ends the chance of a repeat
        storedKind_.reset();
        stored_.clear();
    }
    return unit;
}

}  // namespace vor::sim
