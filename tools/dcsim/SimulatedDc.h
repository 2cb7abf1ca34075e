#pragma once
// The simulated dive computer, independent of any transport. It takes the bytes the
// program hands to the line, with the time they were handed over, and returns what
// it sends back, each chunk stamped with the time its last byte reaches the program.
// Both directions are paced at the configured byte time. Its timers (drop of an
// incomplete unit, restart after an upload, PC-screen countdown, waking) run on the
// same time base and are applied whenever time advances, so no transport needs to
// schedule anything but the replies.
//
// Times passed in must never go backwards.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/dcsim/DcConfig.h"
#include "tools/dcsim/DcMemory.h"
#include "tools/dcsim/FaultPlan.h"
#include "tools/dcsim/UnitFramer.h"

namespace vor::sim {

constexpr std::uint8_t Ack = 0x5A;
constexpr std::uint8_t Nak = 0xA5;

struct Output {
    double at = 0.0;  // the last byte of `bytes` has reached the program
    std::vector<std::uint8_t> bytes;
    bool pullCable = false;  // instead of bytes: the cable is pulled at `at`
};

enum class DcMode {
    Awake,       // answers; not in the PC screen
    PcScreen,    // answers; counts down to sleep
    Asleep,      // deep sleep: hears nothing until the A and S buttons wake it
    Restarting,  // after an accepted section; silent
};

using CodeBlock = std::array<std::uint8_t, 129>;  // 128 bytes and the check byte

// One closing word of a code section as the DC saw it.
struct SectionRecord {
    int section = 1;
    int blockCount = 0;
    std::uint16_t checksumSent = 0;
    std::uint16_t checksumComputed = 0;
    bool accepted = false;
    std::optional<std::uint16_t> argument;  // section 2: the last B8 value
};

class SimulatedDc {
public:
    explicit SimulatedDc(DcConfig config);

    // The program handed `bytes` to the line at time `at`.
    std::vector<Output> receive(std::span<const std::uint8_t> bytes, double at);

    // ---- control ----
    void press(double at);   // the A and S buttons
    void unclip(double at);  // the DC is off the cable: hears and says nothing
    void clip(double at);
    // The cable is pulled out of the PC, and plugged in again.
    void pull(double at);
    void replug(double at);
    // A fault from now on; its nth counts the units taken so far too.
    void addFault(const FaultRule& rule) { faults_.add(rule); }
    void advanceTo(double at);

    // ---- inspection ----
    DcMode mode() const { return mode_; }
    const DcMemory& memory() const { return memory_; }
    DcMemory& memory() { return memory_; }  // the diver's own use of the DC between runs
    Line memoryLine(int n) const { return memory_.line(n); }
    std::string identityText() const;  // the 16 characters of the identity reply
    const std::string& version() const { return version_; }
    std::uint8_t revision() const { return revision_; }
    const std::vector<SectionRecord>& sections() const { return sections_; }
    // The blocks of the code section last accepted, by address.
    const std::map<int, CodeBlock>& firmwareBlocks(int section) const { return section == 1 ? code1_ : code2_; }
    std::optional<std::array<std::uint8_t, 9>> lastClockRecord() const { return clock_; }
    int exchanges(UnitKind kind) const { return counts_[static_cast<std::size_t>(kind)]; }
    int totalExchanges() const { return total_; }
    std::optional<UnitKind> lastUnitKind() const { return lastKind_; }
    int droppedUnits() const { return framer_.droppedUnits(); }
    bool cablePulled() const { return pulled_; }
    bool clipped() const { return clipped_; }

private:
    bool listening() const { return clipped_ && !pulled_ && (mode_ == DcMode::Awake || mode_ == DcMode::PcScreen); }
    void enterMode(DcMode mode, double at);
    void handle(const Unit& unit, std::vector<Output>& out);
    std::vector<std::uint8_t> process(const Unit& unit);
    void applyStagingRule(UnitKind kind);
    void commitProfileBlocks();
    std::vector<std::uint8_t> closeSection(int section, std::uint16_t value);
    void sendReply(std::vector<std::uint8_t> bytes, double readyAt, std::vector<Output>& out);

    DcConfig config_;
    DcMemory memory_;
    UnitFramer framer_;
    FaultPlan faults_;
    SimRandom garbage_;

    std::string version_;
    std::uint8_t revision_;
    DcMode mode_ = DcMode::Awake;
    DcMode modeAfterRestart_ = DcMode::Awake;
    double restartEndsAt_ = 0.0;
    double pcScreenEndsAt_ = DcConfig::Never;
    double pressWakeAt_ = DcConfig::Never;
    double autoWakeAt_ = DcConfig::Never;
    bool clipped_ = true;
    bool pulled_ = false;

    double rxFreeAt_ = 0.0;  // the inbound line is busy until then
    double txFreeAt_ = 0.0;  // the outbound line is busy until then
    double now_ = 0.0;

    // What the last acknowledged command left for its data unit.
    int pendingLine_ = 0;
    int pendingAddress_ = 0;

    std::map<int, CodeBlock> staged1_;
    std::map<int, CodeBlock> staged2_;
    std::map<int, CodeBlock> code1_;
    std::map<int, CodeBlock> code2_;
    std::optional<std::uint16_t> argument2_;
    std::vector<SectionRecord> sections_;
    std::optional<std::array<std::uint8_t, 9>> clock_;

    std::array<int, UnitKindCount> counts_{};
    int total_ = 0;
    std::optional<UnitKind> lastKind_;
};

}  // namespace vor::sim
