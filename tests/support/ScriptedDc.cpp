#include "tests/support/ScriptedDc.h"

#include <algorithm>
#include <cstdio>

namespace vor::test {

namespace {
constexpr std::uint8_t Ack = 0x5A;
constexpr std::uint8_t Nak = 0xA5;

std::string Hex(int value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}
}  // namespace

ScriptedDc::ScriptedDc(FakeSerialPort& port, int memorySize)
    : memory(static_cast<std::size_t>(memorySize) * 8 * 16, 0), port_(port) {
    port_.setPeer([this](std::span<const std::uint8_t> b) { OnWrite(b); });
}

ScriptedDc::ScriptedDc(FakeSerialPort& port, Journal& journal) : port_(port), journal_(&journal) {
    port_.setPeer([this](std::span<const std::uint8_t> b) { OnWrite(b); });
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
    for (std::size_t i = static_cast<std::size_t>(firstLine) * 16; i < static_cast<std::size_t>(lastLine + 1) * 16;
         ++i) {
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

void ScriptedDc::Reply(std::vector<std::uint8_t> bytes) { port_.deliver(std::move(bytes), ReplyDelay); }

void ScriptedDc::Note(std::string entry) {
    if (journal_) journal_->push_back(std::move(entry));
}

void ScriptedDc::OnWrite(std::span<const std::uint8_t> bytes) {
    // Every transmission ends in the 0x00 the link appends; the length tells what it is.
    switch (bytes.size()) {
    case 130: return OnBlockData(bytes);
    case 18: return OnLineData(bytes);
    case 10:
        Note("DC clock");
        clockRecords.emplace_back(bytes.begin(), bytes.begin() + 9);
        return Reply({Ack});
    default: return OnCommand(bytes[0], bytes.size() >= 3 ? bytes[1] * 256 + bytes[2] : 0, bytes.size());
    }
}

void ScriptedDc::OnCommand(std::uint8_t code, int address, std::size_t length) {
    if (length == 2 && code == 0x84) return OnIdentity();
    if (length == 2 && code == 0xBA) {
        Note("DC BA");
        return port_.deliver({0x00, revision}, ReplyDelay);
    }
    if (length == 2 && code == 0x97) {
        Note("DC 97");
        return Reply({Ack});
    }
    if (length == 3 && code == 0xA8) {
        Note("DC A8 " + Hex(address >> 8, 2));
        ++deepSleeps;
        if (ackDeepSleep) Reply({Ack});
        return;
    }
    if (length != 4) return Note("DC unexpected " + Hex(code, 2));
    Note("DC " + Hex(code, 2) + " " + Hex(address, 4));
    switch (code) {
    case 0xB4: {
        reads.push_back(address);
        if (silentReads) return;
        if (refuseReadsFromCount > 0 && static_cast<int>(reads.size()) >= refuseReadsFromCount) return Reply({Nak});
        std::vector<std::uint8_t> r{Ack};
        const auto b = block(address);
        r.insert(r.end(), b.begin(), b.end());
        if (readChunks.empty()) return Reply(r);
        return port_.deliverChunks(r, readChunks, ReplyDelay);
    }
    case 0xB2:
        if (refusedLineWrites.contains(address)) return Reply({Nak});
        requestedLine_ = address;
        return Reply({Ack});
    case 0xB5:
    case 0xB7:
        announcedCode_ = code;
        announcedBlock_ = address;
        return Reply({Ack});
    case 0xB6:
    case 0xB8:
    case 0xB9:
        if (silentWords.contains(code)) return;
        Reply({Ack});
        if (code == 0xB6 && identityAfterClose1) identity = *identityAfterClose1;
        if (code == 0xB9 && identityAfterClose2) identity = *identityAfterClose2;
        if (code == 0xB9 && revisionAfterClose2) revision = *revisionAfterClose2;
        return;
    default: return;
    }
}

void ScriptedDc::OnIdentity() {
    Note("DC 84");
    ++identityQueries;
    if (silentIdentityQueries > 0) {
        --silentIdentityQueries;
        return;
    }
    if (identityAnswersLeft == 0) return;
    if (identityAnswersLeft > 0) --identityAnswersLeft;
    std::vector<std::uint8_t> reply;
    reply.reserve(identity.size() + 2);  // also keeps GCC 12's -Warray-bounds quiet at -O2
    reply.push_back(0x00);
    reply.insert(reply.end(), identity.begin(), identity.end());
    reply.push_back(0x00);
    port_.deliverChunks(reply, identityChunks, ReplyDelay);
}

void ScriptedDc::OnBlockData(std::span<const std::uint8_t> bytes) {
    const int address = announcedBlock_;
    announcedBlock_ = -1;
    Note("DC data " + Hex(announcedCode_, 2) + " " + Hex(address, 4));
    if (silentDataAt.contains(address)) return;
    if (address < 0 || refusedBlockAddresses.contains(address)) return Reply({Nak});
    // Code sections are not kept: only the profile blocks of a DC with memory.
    if (announcedCode_ != 0xB5 || memory.empty()) return Reply({Ack});
    if (static_cast<std::size_t>(address + 256 + 8) * 16 > memory.size()) return Reply({Nak});
    std::copy_n(bytes.begin(), 128, memory.begin() + (address + 256) * 16);
    blockWrites.push_back(address);
    Reply({Ack});
}

void ScriptedDc::OnLineData(std::span<const std::uint8_t> bytes) {
    const int line = requestedLine_;
    requestedLine_ = -1;
    Note("DC data B2 " + Hex(line, 4));
    if (line < 0 || static_cast<std::size_t>(line + 1) * 16 > memory.size()) return Reply({Nak});
    if (!(ignoreHeaderWrites && line == 4)) std::copy_n(bytes.begin(), 16, memory.begin() + line * 16);
    lineWrites.push_back(line);
    Reply({Ack});
}

}  // namespace vor::test
