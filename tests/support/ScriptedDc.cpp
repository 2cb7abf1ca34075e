#include "tests/support/ScriptedDc.h"

#include <algorithm>

namespace vor::test {

ScriptedDc::ScriptedDc(FakeSerialPort& port, int memorySize)
    : memory(static_cast<std::size_t>(memorySize) * 8 * 16, 0), port_(port) {
    port_.setPeer([this](std::span<const std::uint8_t> b) { onWrite({b.begin(), b.end()}); });
}

void ScriptedDc::setSerialBytes(std::uint8_t b10, std::uint8_t b11, std::uint8_t b12) {
    memory[10] = b10;
    memory[11] = b11;
    memory[12] = b12;
}

void ScriptedDc::setPointerBytes(std::uint8_t startLow, std::uint8_t startHigh, std::uint8_t endLow,
                                 std::uint8_t endHigh) {
    memory[72] = startLow;
    memory[73] = startHigh;
    memory[74] = endLow;
    memory[75] = endHigh;
}

void ScriptedDc::fillLines(int firstLine, int lastLine, std::uint32_t seed) {
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::size_t i = static_cast<std::size_t>(firstLine) * 16; i < static_cast<std::size_t>(lastLine + 1) * 16; ++i) {
        x = x * 1103515245u + 12345u;
        memory[i] = static_cast<std::uint8_t>(x >> 16);
    }
}

std::vector<std::uint8_t> ScriptedDc::line(int n) const {
    const auto at = memory.begin() + n * 16;
    return {at, at + 16};
}

std::vector<std::uint8_t> ScriptedDc::block(int firstLine) const {
    const auto from = static_cast<std::size_t>(firstLine) * 16;
    if (from + 128 > memory.size()) return std::vector<std::uint8_t>(128, 0);  // beyond the memory
    return {memory.begin() + static_cast<long>(from), memory.begin() + static_cast<long>(from + 128)};
}

void ScriptedDc::reply(std::vector<std::uint8_t> bytes) { port_.deliver(std::move(bytes), ReplyDelay); }

void ScriptedDc::onWrite(const std::vector<std::uint8_t>& bytes) {
    constexpr std::uint8_t Ack = 0x5A, Nak = 0xA5;
    const auto address = [&] { return bytes[1] * 256 + bytes[2]; };
    switch (bytes.size()) {
    case 130: {  // block data after B5
        const int address = announcedBlock_;
        announcedBlock_ = -1;
        if (address < 0 || refusedBlockAddresses.count(address) ||
            static_cast<std::size_t>(address + 256 + 8) * 16 > memory.size())
            return reply({Nak});
        std::copy_n(bytes.begin(), 128, memory.begin() + (address + 256) * 16);
        blockWrites.push_back(address);
        return reply({Ack});
    }
    case 18: {  // line data after B2
        const int line = requestedLine_;
        requestedLine_ = -1;
        if (line < 0 || static_cast<std::size_t>(line + 1) * 16 > memory.size()) return reply({Nak});
        if (!(ignoreHeaderWrites && line == 4)) std::copy_n(bytes.begin(), 16, memory.begin() + line * 16);
        lineWrites.push_back(line);
        return reply({Ack});
    }
    case 10:  // clock record after 97
        clockRecords.emplace_back(bytes.begin(), bytes.begin() + 9);
        return reply({Ack});
    default:
        break;
    }
    switch (bytes[0]) {
    case 0x84:
        ++identityQueries;
        if (silentIdentityQueries > 0) {
            --silentIdentityQueries;
            return;
        }
        {
            std::vector<std::uint8_t> r{Ack};
            r.insert(r.end(), identity.begin(), identity.end());
            r.push_back(0);
            return reply(r);
        }
    case 0xA8:
        ++deepSleeps;
        return reply({Ack});
    case 0x97:
        return reply({Ack});
    case 0xB4: {
        reads.push_back(address());
        if (silentReads) return;
        if (refuseReadsFromCount > 0 && static_cast<int>(reads.size()) >= refuseReadsFromCount) return reply({Nak});
        std::vector<std::uint8_t> r{Ack};
        const auto b = block(address());
        r.insert(r.end(), b.begin(), b.end());
        if (readChunks.empty()) return reply(r);
        return port_.deliverChunks(r, readChunks, ReplyDelay);
    }
    case 0xB2:
        if (refusedLineWrites.count(address())) return reply({Nak});
        requestedLine_ = address();
        return reply({Ack});
    case 0xB5:
        announcedBlock_ = address();
        return reply({Ack});
    default:
        return;
    }
}

}  // namespace vor::test
