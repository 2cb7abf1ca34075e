#pragma once
// The loaded firmware image: filled once at start-up by GetCode, read-only afterwards.
// Texts (ImageVersion, DeviceName, ModelName) hold the header bytes one character each,
// as single-byte ANSI text; they are not converted.

#include <cstdint>
#include <string>

#include "session/BlockTable.h"

namespace vor {

enum class ImageKind { None, OnlySection1, OnlySection2, BothSections };

struct FirmwareImage {
    int ModelNumber = 0;
    std::string ImageVersion;  // 2 characters
    int MemorySize = 0;        // DC memory size class (512 or 1024)
    std::uint8_t ImageRevision = 0;
    std::string DeviceName;
    std::string ModelName;
    int Section1Checksum = 0;
    int Section1BlockCount = 0;
    int Section2Checksum = 0;
    int Section2BlockCount = 0;
    int Section2Argument = 0;
    BlockTable Section1Blocks;
    BlockTable Section2Blocks;
    ImageKind Kind = ImageKind::None;
    std::string MinimumVersion;       // from string resource 20001, field 4
    std::uint8_t ConfigRevision = 0;  // from string resource 20001, field 4

    bool OnlySection1() const { return Kind == ImageKind::OnlySection1; }
    bool OnlySection2() const { return Kind == ImageKind::OnlySection2; }
    bool BothSections() const { return Kind == ImageKind::BothSections; }
};

}  // namespace vor
