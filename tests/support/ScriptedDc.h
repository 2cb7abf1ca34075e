#pragma once
// A small scripted DC on a FakeSerialPort for the profile tests: keeps memory lines
// and answers 84, A8, 97 + record, B4 reads, B2 line writes and B5 profile blocks
// (block memory line = address + 256). Faults are set per test.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/FakeSerialPort.h"

namespace vor::test {

class ScriptedDc {
public:
    static constexpr double ReplyDelay = 0.005;

    ScriptedDc(FakeSerialPort& port, int memorySize);

    // ---- memory ----
    std::vector<std::uint8_t> memory;  // memorySize * 8 lines of 16 bytes
    void setSerialBytes(std::uint8_t b10, std::uint8_t b11, std::uint8_t b12);
    void setPointerBytes(std::uint8_t startLow, std::uint8_t startHigh, std::uint8_t endLow, std::uint8_t endHigh);
    void fillLines(int firstLine, int lastLine, std::uint32_t seed);  // distinct bytes per line
    std::vector<std::uint8_t> line(int n) const;
    std::vector<std::uint8_t> block(int firstLine) const;

    // ---- faults ----
    int refuseReadsFromCount = -1;        // refuse every B4 from this read number on (1-based)
    bool silentReads = false;             // B4 goes unanswered
    std::vector<std::size_t> readChunks;  // split B4 replies into these chunk sizes
    std::set<int> refusedBlockAddresses;  // B5 data at these addresses answered A5
    std::set<int> refusedLineWrites;      // B2 requests for these lines answered A5
    bool ignoreHeaderWrites = false;      // B2 data for line 4 acknowledged but not stored
    int silentIdentityQueries = 0;        // the next n identity queries stay unanswered
    std::string identity = "VOR FW1E 0012345";

    // ---- what it saw ----
    std::vector<int> reads;                   // lines of the B4 reads
    std::vector<int> blockWrites;             // addresses of stored B5 blocks
    std::vector<int> lineWrites;              // lines of stored B2 data
    std::vector<std::vector<std::uint8_t>> clockRecords;
    int deepSleeps = 0;
    int identityQueries = 0;

private:
    void onWrite(const std::vector<std::uint8_t>& bytes);
    void reply(std::vector<std::uint8_t> bytes);

    FakeSerialPort& port_;
    int announcedBlock_ = -1;
    int requestedLine_ = -1;
};

}  // namespace vor::test
