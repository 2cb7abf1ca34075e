#pragma once
// Shared set-up of the profile tests: a scripted DC on the fake port, the real link,
// a recording wizard, the demo image facts and a fresh backup folder; plus a reader
// and writer of the backup file format written independently of the product code.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "tests/support/TempFolder.h"
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "firmware/FirmwareImage.h"
#include "link/CommModule.h"
#include "platform/fake/FakeEventPump.h"
#include "platform/fake/FakeSerialPort.h"
#include "profile/ProfileKeeper.h"
#include "tests/support/RecordingWizard.h"
#include "tests/support/ScriptedDc.h"
#include "session/WizardState.h"

namespace vor::test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t FileSize = 266274;

// The file as the test understands the format.
struct FileView {
    Bytes bytes;
    std::int16_t value(int row, int column) const {
        const std::size_t at = 34 + 2 * (static_cast<std::size_t>(column) * 1024 + static_cast<std::size_t>(row));
        return static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
    }
    Bytes header() const { return {bytes.begin(), bytes.begin() + 17}; }
    Bytes digits() const { return {bytes.begin() + 17, bytes.begin() + 34}; }
    // The 128 data bytes of a row.
    Bytes data(int row) const {
        Bytes out;
        for (int c = 1; c <= 128; ++c) out.push_back(static_cast<std::uint8_t>(value(row, c)));
        return out;
    }
};

inline Bytes ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& p, const Bytes& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A backup file built by hand: `rows` data rows starting at `firstLine`, filled from
// `memory` (lines of 16 bytes), with the given header and serial digits.
inline Bytes MakeBackupFile(const Bytes& header16, const std::array<std::uint8_t, 6>& digits, int firstLine, int rows,
                            const Bytes& memory) {
    Bytes file(FileSize, 0);
    unsigned headerSum = 0;
    for (int i = 0; i < 16; ++i) {
        file[static_cast<std::size_t>(i)] = header16[static_cast<std::size_t>(i)];
        headerSum += header16[static_cast<std::size_t>(i)];
    }
    file[16] = static_cast<std::uint8_t>(headerSum % 256);
    for (std::size_t i = 0; i < 6; ++i) file[17 + i] = digits[i];
    const auto put = [&](int row, int column, int value) {
        const std::size_t at = 34 + 2 * (static_cast<std::size_t>(column) * 1024 + static_cast<std::size_t>(row));
        file[at] = static_cast<std::uint8_t>(value & 0xFF);
        file[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    };
    for (int r = 0; r < rows; ++r) {
        const int line = firstLine + 8 * r;
        put(r, 0, line - 256);
        unsigned sum = 0;
        for (int i = 0; i < 128; ++i) {
            const std::uint8_t b = memory[static_cast<std::size_t>(line) * 16 + static_cast<std::size_t>(i)];
            put(r, i + 1, b);
            sum += b;
        }
        put(r, 129, static_cast<int>(sum % 256));
    }
    return file;
}

class ProfileTest : public ::testing::Test {
protected:
    FakeEventPump pump;
    FakeSerialPort port{pump};
    WizardState state;
    CommModule link{port, pump, state};
    RecordingWizard wizard;
    ProfileImageFacts image;
    std::unique_ptr<ScriptedDc> dc;
    std::filesystem::path folder;
    std::unique_ptr<ProfileKeeper> keeper;

    void SetUp() override {
        folder = MakeTempFolder("vor-profile");
        image.ModelNumber = 6865;
        UseMemorySize(512);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(folder, ec);
    }

    // A DC and image of this size class with serial 12345; the keeper is made anew
    // (as in a fresh run).
    void UseMemorySize(int memorySize) {
        image.MemorySize = memorySize;
        link.SizeReplyBuffers(memorySize);
        dc = std::make_unique<ScriptedDc>(port, memorySize);
        dc->setSerialBytes(0x01, 0x23, 0x45);
        NewRun();
    }
    void NewRun() { keeper = std::make_unique<ProfileKeeper>(link, wizard, state, image, pump, folder); }

    // Byte-address pointers (size class 512) for a profile from line `start` to `end`.
    void SetProfileLines(int start, int end) {
        const int s = start * 16, e = end * 16;
        dc->setPointerBytes(static_cast<std::uint8_t>(s & 0xFF), static_cast<std::uint8_t>(s >> 8),
                            static_cast<std::uint8_t>(e & 0xFF), static_cast<std::uint8_t>(e >> 8));
    }

    std::filesystem::path BackupFile() const { return folder / "6865.012345.bin"; }
    // The contents of every file set aside in the backup folder.
    std::vector<Bytes> SetAsideFiles() const {
        std::vector<Bytes> out;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().find(".set-aside-") != std::string::npos &&
                entry.path().extension() == ".bin")
                out.push_back(ReadFile(entry.path()));
        return out;
    }
    Bytes DcHeader() const { return {dc->memory.begin() + 64, dc->memory.begin() + 80}; }

    // The writes of one command code (first byte), in order.
    std::vector<FakeSerialPort::Write> WritesOf(std::uint8_t code, std::size_t length) const {
        std::vector<FakeSerialPort::Write> out;
        for (const auto& w : port.writes())
            if (w.bytes.size() == length && w.bytes[0] == code) out.push_back(w);
        return out;
    }

    // The file's table rows 0..count-1 hold the DC's blocks from `firstLine` on.
    void ExpectFileHoldsDcBlocks(const FileView& f, int firstLine, int count) const {
        for (int r = 0; r < count; ++r) {
            const int line = firstLine + 8 * r;
            ASSERT_EQ(f.value(r, 0), line - 256) << "row " << r;
            ASSERT_EQ(f.data(r), dc->block(line)) << "row " << r;
            unsigned sum = 0;
            for (std::uint8_t b : dc->block(line)) sum += b;
            ASSERT_EQ(f.value(r, 129), static_cast<int>(sum % 256)) << "row " << r;
        }
    }
};

}  // namespace vor::test
