#pragma once
// A scripted DC on a FakeSerialPort. It answers 84, BA, A8, 97 + record, B4 reads,
// B2 line writes, the block announcements B5/B7 with their data, and the closing
// words B6, B8, B9. Given a memory size it keeps memory lines, and B5 blocks land
// in them (block memory line = address + 256); without one, blocks are only
// acknowledged. A closing word makes the DC restart into the identity and revision
// the test set for afterwards. Faults are set per test.
//
// Given a journal it writes what it saw into it: "DC 84", "DC BA", "DC A8 99",
// "DC B5 0080" (announcement), "DC data B5 0080", "DC B6 1234", "DC 97", "DC clock",
// "DC B4 0010", "DC B2 0004", "DC data B2 0004".

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/fake/FakeSerialPort.h"
#include "tests/support/Journal.h"

namespace vor::test {

class ScriptedDc {
public:
    static constexpr double ReplyDelay = 0.005;

    ScriptedDc(FakeSerialPort& port, int memorySize);
    ScriptedDc(FakeSerialPort& port, Journal& journal);

    // ---- memory ----
    std::vector<std::uint8_t> memory;  // memorySize * 8 lines of 16 bytes
    void setSerialBytes(std::uint8_t b10, std::uint8_t b11, std::uint8_t b12);
    void setPointerBytes(std::uint8_t startLow, std::uint8_t startHigh, std::uint8_t endLow, std::uint8_t endHigh);
    void fillLines(int firstLine, int lastLine, std::uint32_t seed);  // distinct bytes per line
    std::vector<std::uint8_t> line(int n) const;
    std::vector<std::uint8_t> block(int firstLine) const;

    // ---- identity and restarts ----
    std::string identity = "VOR FW1E 0012345";
    std::uint8_t revision = 1;
    std::optional<std::string> identityAfterClose1;  // after an acknowledged 0xB6
    std::optional<std::string> identityAfterClose2;  // after an acknowledged 0xB9
    std::optional<std::uint8_t> revisionAfterClose2;

    // ---- faults ----
    int identityAnswersLeft = -1;             // -1: always answers
    int silentIdentityQueries = 0;            // the next n identity queries stay unanswered
    std::vector<std::size_t> identityChunks;  // split sizes of the identity reply
    bool ackDeepSleep = true;
    int refuseReadsFromCount = -1;        // refuse every B4 from this read number on (1-based)
    bool silentReads = false;             // B4 goes unanswered
    std::vector<std::size_t> readChunks;  // split B4 replies into these chunk sizes
    std::set<int> refusedBlockAddresses;  // block data at these addresses answered A5
    std::set<int> silentDataAt;           // block addresses whose data is never acknowledged
    std::set<std::uint8_t> silentWords;   // closing-word codes never acknowledged
    std::set<int> refusedLineWrites;      // B2 requests for these lines answered A5
    bool ignoreHeaderWrites = false;      // B2 data for line 4 acknowledged but not stored

    // ---- what it saw ----
    std::vector<int> reads;        // lines of the B4 reads
    std::vector<int> blockWrites;  // addresses of stored B5 blocks
    std::vector<int> lineWrites;   // lines of stored B2 data
    std::vector<std::vector<std::uint8_t>> clockRecords;
    int deepSleeps = 0;
    int identityQueries = 0;

private:
    void OnWrite(std::span<const std::uint8_t> bytes);
    void OnCommand(std::uint8_t code, int address, std::size_t length);
    void OnIdentity();
    void OnBlockData(std::span<const std::uint8_t> bytes);
    void OnLineData(std::span<const std::uint8_t> bytes);
    void Reply(std::vector<std::uint8_t> bytes);
    void Note(std::string entry);

    FakeSerialPort& port_;
    Journal* journal_ = nullptr;
    std::uint8_t announcedCode_ = 0;
    int announcedBlock_ = -1;
    int requestedLine_ = -1;
};

}  // namespace vor::test
