#pragma once
// Loading and checking the firmware image file, and GetCode, the start-up step that
// reports the load in the task log and says whether the image can be used.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "firmware/FirmwareImage.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

enum class ImageFault {
    None,
    FileMissing,      // no plain, visible file at the path
    EmptyDeviceName,  // error code 4; the load goes on
    EmptyModelName,   // error code 5; the load goes on
    Unreadable,       // any other failure before the checksum test (Msg::ImageDamaged, no new code)
    ChecksumError1,   // the sum of a one-section image
    ChecksumError2,   // section 1 of a two-section image
    ChecksumError3,   // section 2 of a two-section image (section 1 right)
};

struct ImageLoadResult {
    ImageFault fault = ImageFault::None;  // the first fault found
    std::string errorCode;                // "4", "5" or empty: the code that Msg::ImageDamaged shows
    std::string detail;                   // every reason found, for people ("; " between them)
    int Section1Sum = 0;                  // computed from the blocks read
    int Section2Sum = 0;
    bool ok() const { return fault == ImageFault::None; }
    // A fault that sets CommError and is reported with Msg::ImageDamaged.
    bool loadFailed() const {
        return fault == ImageFault::EmptyDeviceName || fault == ImageFault::EmptyModelName ||
               fault == ImageFault::Unreadable;
    }
};

// True for an existing plain file that is not hidden (a name starting with ".").
bool FileExists(const std::filesystem::path& path);
// Why FileExists is false for `path`, for people ("No such file or directory", "a
// folder, not a file", ...); empty when it is true.
std::string ImageFileProblem(const std::filesystem::path& path);

// Decodes a whole image file held in memory into `image`, including the checksum test.
// `parameterRecord` is the text of string resource 20001 ("MERO|VOR|512|6865|1A").
// Never reads past the end of `file`: a file shorter than its block counts, or ending
// in a partial record, is Unreadable. `image` is only meaningful when the result is ok.
ImageLoadResult DecodeImage(std::span<const std::uint8_t> file, std::string_view parameterRecord, FirmwareImage& image);

// Reads the file at `path` and decodes it (FileMissing / Unreadable when it cannot be read).
ImageLoadResult LoadImageFile(const std::filesystem::path& path, std::string_view parameterRecord,
                              FirmwareImage& image);

// "1H", or "1H.03" with a revision.
std::string VersionWithRevision(const std::string& version, std::optional<std::uint8_t> revision);

// A version row of the task log: deviceName, ", ", `versionWord` (Msg::Version), ": ",
// version, then "." and the revision in at least two digits when one is given.
std::string VersionRowText(const std::string& deviceName, const std::string& versionWord, const std::string& version,
                           std::optional<std::uint8_t> revision);

// The image's version row: the revision suffix is shown for an image with section 2,
// and for a section-1 image when ImageRevision is 1..99.
std::string ImageVersionRowText(const FirmwareImage& image, const std::string& versionWord);

// Start-up load of the firmware image: rows Msg::LoadingImage and Msg::CheckingImage
// with their statuses, the version row on success. On failure it sets CommError where
// the load failed, shows the critical box (caption Msg::Failed) and calls ResetStage
// where due; the result then names the fault (`detail` says why, for people), the
// caller ends the program, and `image` must not be used.
// The caller sizes the reply buffers afterwards: CommModule::SizeReplyBuffers(image.MemorySize).
ImageLoadResult GetCode(const std::filesystem::path& firmwarePath, WizardServices& services, WizardState& state,
                        FirmwareImage& image, std::string_view parameterRecord);

}  // namespace vor
