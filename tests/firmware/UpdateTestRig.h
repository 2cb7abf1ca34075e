#pragma once
// One DC on a fake line, the real link and the update code, on a fake clock.

#include <cstdint>
#include <vector>

#include "firmware/FirmwareImage.h"
#include "firmware/UpdateSequence.h"
#include "firmware/UploadCode.h"
#include "link/CommModule.h"
#include "platform/fake/FakeEventPump.h"
#include "platform/fake/FakeSerialPort.h"
#include "tests/firmware/UpdateTestDoubles.h"

namespace vor::test {

// `count` blocks from `firstAddress`, 128 bytes apart, with data that differs per
// block and covers the whole byte range, and a distinct check byte.
inline void FillSection(BlockTable& table, int count, int firstAddress) {
    for (int r = 0; r < count; ++r) {
        BlockRow& row = table[r];
        row[0] = static_cast<std::int16_t>(firstAddress + r * 128);
        for (int k = 1; k <= 128; ++k) row[k] = static_cast<std::int16_t>((r * 37 + k * 11 + 0x80) & 0xFF);
        row[129] = static_cast<std::int16_t>(0xF0 + r % 16);
    }
}

// The bytes WriteCodeBlock puts on the line for a row: announcement, then data.
inline std::vector<std::vector<std::uint8_t>> BlockWrites(std::uint8_t code, const BlockRow& row) {
    const int address = row[0];
    std::vector<std::uint8_t> data;
    for (int k = 1; k <= 129; ++k) data.push_back(static_cast<std::uint8_t>(row[k]));
    data.push_back(0x00);
    return {{code, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF), 0x00}, data};
}

inline std::vector<std::uint8_t> WordWrite(std::uint8_t code, int value) {
    return {code, static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF), 0x00};
}

struct UpdateRig {
    Journal journal;
    FakeEventPump pump;
    FakeSerialPort port{pump};
    WizardState state;
    CommModule link{port, pump, state};
    RecordingWizard wizard{journal};
    ScriptedDc dc{port, journal};
    ScriptedProfile profile{state, wizard, journal};
    FirmwareImage image;
    CodeUploader uploader{link, wizard, state, image};
    FirmwareUpdater updater{link, wizard, state, image, profile, pump};

    // The demo image's header values, with two small sections; the wizard's flags
    // as they are when an update starts.
    explicit UpdateRig(ImageKind kind = ImageKind::OnlySection1, int section1Blocks = 2, int section2Blocks = 2) {
        image.Kind = kind;
        image.ModelNumber = 6865;
        image.ImageVersion = "1H";
        image.MemorySize = 512;
        image.ImageRevision = 3;
        image.DeviceName = "VOR Watch DC";
        image.ModelName = "VOR";
        image.MinimumVersion = "1A";
        image.ConfigRevision = 0;
        image.Section1BlockCount = kind == ImageKind::OnlySection2 ? 0 : section1Blocks;
        image.Section2BlockCount = kind == ImageKind::OnlySection1 ? 0 : section2Blocks;
        image.Section1Checksum = 0x0102;
        image.Section2Checksum = 0x0304;
        image.Section2Argument = 0x1234;
        FillSection(image.Section1Blocks, image.Section1BlockCount, 0x0000);
        FillSection(image.Section2Blocks, image.Section2BlockCount, 0x4000);
        link.SizeReplyBuffers(image.MemorySize);
        state.ProfileBackupNeeded = true;
        state.ProfileIntact = true;
        state.DeepSleepMode = false;
    }

    std::vector<std::vector<std::uint8_t>> writtenBytes() const {
        std::vector<std::vector<std::uint8_t>> all;
        for (const auto& w : port.writes()) all.push_back(w.bytes);
        return all;
    }
    // Time of the first command (not block data) starting with `code` at or after time `from`; -1 when none.
    double timeOfWrite(std::uint8_t code, double from = 0.0) const {
        for (const auto& w : port.writes())
            if (w.time >= from && w.bytes.size() <= 4 && w.bytes[0] == code) return w.time;
        return -1.0;
    }
    std::vector<std::string> rowTexts() const {
        std::vector<std::string> texts;
        for (const auto& r : wizard.rows) texts.push_back(r.event);
        return texts;
    }
};

}  // namespace vor::test
