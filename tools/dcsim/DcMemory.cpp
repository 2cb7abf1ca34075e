#include "tools/dcsim/DcMemory.h"

#include <algorithm>

#include "tools/dcsim/SimRandom.h"

namespace vor::sim {

std::array<std::uint8_t, 3> PackSerial(std::uint32_t serial) {
    std::array<std::uint8_t, 3> packed{};
    std::uint32_t rest = serial % 1000000;
    for (int i = 2; i >= 0; --i) {
        const std::uint32_t two = rest % 100;
        rest /= 100;
        packed[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((two / 10) * 16 + two % 10);
    }
    return packed;
}

DcMemory::DcMemory(const DcConfig& config)
    : memorySize_(config.memorySize == 1024 ? 1024 : 512),
      bytes_(static_cast<std::size_t>(memorySize_) * 8 * LineBytes) {
    // Settings and code areas: repeatable noise, so a wrong read shows.
    SimRandom noise(config.seed ^ 0x5EED5EEDull);
    for (auto& b : bytes_) b = noise.byte();
    const auto serial = PackSerial(config.serial);
    std::copy(serial.begin(), serial.end(), bytes_.begin() + SerialOffset);
    seedProfile(config);
}

void DcMemory::seedProfile(const DcConfig& config) {
    const auto areaBegin = bytes_.begin() + ProfileFirstLine * LineBytes;
    const auto areaEnd = bytes_.begin() + (profileLastLine() + 1) * LineBytes;
    std::fill(areaBegin, areaEnd, 0xFF);

    SimRandom rng(config.seed);
    int start = ProfileFirstLine;
    int end = ProfileFirstLine;
    switch (config.profile) {
    case ProfileKind::Empty: break;
    case ProfileKind::Seeded:
        start = ProfileFirstLine + rng.below(512);
        end = start + 64 + rng.below(1024);
        break;
    case ProfileKind::Wrapped:
        start = profileLastLine() - 500;
        end = ProfileFirstLine + 700;
        break;
    case ProfileKind::Full: end = profileLastLine(); break;
    }
    auto fillLines = [&](int from, int to) {
        for (int i = from * LineBytes; i < (to + 1) * LineBytes; ++i) bytes_[static_cast<std::size_t>(i)] = rng.byte();
    };
    if (end > start) fillLines(start, end);
    if (end < start) fillLines(ProfileFirstLine, profileLastLine());
    setPointers(start, end);
}

Line DcMemory::line(int n) const {
    Line out{};
    std::copy_n(bytes_.begin() + n * LineBytes, LineBytes, out.begin());
    return out;
}

void DcMemory::writeLine(int n, const Line& bytes) {
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + n * LineBytes);
}

std::vector<std::uint8_t> DcMemory::block(int firstLine) const {
    const auto from = bytes_.begin() + firstLine * LineBytes;
    return {from, from + BlockBytes};
}

void DcMemory::writeBlock(int firstLine, const std::uint8_t* bytes128) {
    std::copy_n(bytes128, BlockBytes, bytes_.begin() + firstLine * LineBytes);
}

int DcMemory::pointerToLine(int offset) const {
    const int value = bytes_[static_cast<std::size_t>(offset)] + 256 * bytes_[static_cast<std::size_t>(offset + 1)];
    return memorySize_ == 1024 ? value : value / LineBytes;
}

void DcMemory::putPointer(int offset, int line) {
    const int value = memorySize_ == 1024 ? line : line * LineBytes;
    bytes_[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value & 0xFF);
    bytes_[static_cast<std::size_t>(offset + 1)] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

int DcMemory::startLine() const { return pointerToLine(StartPointerOffset); }
int DcMemory::endLine() const { return pointerToLine(EndPointerOffset); }

void DcMemory::setPointers(int startLine, int endLine) {
    putPointer(StartPointerOffset, startLine);
    putPointer(EndPointerOffset, endLine);
}

void DcMemory::eraseProfile() {
    std::fill(bytes_.begin() + ProfileFirstLine * LineBytes, bytes_.begin() + (profileLastLine() + 1) * LineBytes,
              0xFF);
    std::fill_n(bytes_.begin() + HeaderLine * LineBytes, LineBytes, 0xFF);
}

}  // namespace vor::sim
