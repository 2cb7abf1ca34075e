#include "firmware/ImageLoader.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "firmware/HiddenFile.h"
#include "firmware/ImageCodec.h"
#include "resources/StringResources.h"
#include "session/Messages.h"
#include "session/Utf8Path.h"

namespace vor {

namespace {

// Field of string resource 20001 that holds the minimum version and revision.
constexpr std::size_t ParameterVersionField = 4;
// The largest image has 1 + 1024 + 1 + 1024 records; anything far beyond is not an image.
constexpr std::uintmax_t MaxImageFileBytes = 4u * 1024u * 1024u;

class LoadReport {
public:
    explicit LoadReport(ImageLoadResult& result) : r_(result) {}
    void fault(ImageFault f, const std::string& why) {
        if (r_.fault == ImageFault::None) r_.fault = f;
        if (!r_.detail.empty()) r_.detail += "; ";
        r_.detail += why;
    }

private:
    ImageLoadResult& r_;
};

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
    return text;
}

// Numeric value of a short text the way the old runtime read it: leading blanks, a
// sign, then digits up to the first other character; nothing numeric gives 0.
std::optional<int> LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
    if (negative && value != 0) return std::nullopt;  // does not fit the unsigned revision
    return value;
}

bool ReadParameters(std::string_view parameterRecord, FirmwareImage& image, LoadReport& report) {
    const std::vector<std::string> fields = SplitFields(parameterRecord);
    if (fields.size() <= ParameterVersionField) {
        report.fault(ImageFault::Unreadable, "parameter record has no field 4");
        return false;
    }
    const std::string& field = fields[ParameterVersionField];
    image.MinimumVersion = field.substr(0, 2);
    image.ConfigRevision = 0;
    if (field.size() > 2) {
        const std::optional<int> revision = LeadingNumber(std::string_view(field).substr(field.size() - 2));
        if (!revision) {
            report.fault(ImageFault::Unreadable, "parameter record field 4 has a negative revision");
            return false;
        }
        image.ConfigRevision = static_cast<std::uint8_t>(*revision);
    }
    return true;
}

ImageRecord RecordAt(std::span<const std::uint8_t> file, std::size_t recordIndex) {
    ImageRecord record;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(recordIndex * ImageRecordBytes), ImageRecordBytes,
                record.begin());
    return record;
}

// Reads `count` blocks from record index `first` (0-based) on; false at a bad address.
bool ReadSection(std::span<const std::uint8_t> file, std::size_t first, int count, int section, BlockTable& table,
                 int& sum, LoadReport& report) {
    sum = 0;
    for (int r = 0; r < count; ++r) {
        const ImageRecord record = RecordAt(file, first + static_cast<std::size_t>(r));
        if (!DecodeBlock(record, table[r], sum)) {
            report.fault(ImageFault::Unreadable, "block " + std::to_string(r + 1) + " of section " +
                                                     std::to_string(section) + " has address " +
                                                     Hex4(ReadWord(record, BlockAddressOffset)) + " (0x8000 or more)");
            return false;
        }
    }
    return true;
}

}  // namespace

bool FileExists(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    return HiddenFileReason(path).empty();
}

std::string ImageFileProblem(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec) return ec.message();  // missing, a link loop, a name too long, no access to a folder
    switch (status.type()) {
    case std::filesystem::file_type::regular: break;
    case std::filesystem::file_type::directory: return "a folder, not a file";
    case std::filesystem::file_type::fifo: return "a FIFO, not a file";
    default: return "not a plain file";
    }
    return HiddenFileReason(path);
}

ImageLoadResult DecodeImage(std::span<const std::uint8_t> file, std::string_view parameterRecord,
                            FirmwareImage& image) {
    image.Kind = ImageKind::None;
    image.Section1BlockCount = 0;
    image.Section2BlockCount = 0;
    ImageLoadResult result;
    LoadReport report(result);

    if (file.size() < ImageRecordBytes) {
        report.fault(ImageFault::Unreadable,
                     "file of " + std::to_string(file.size()) + " bytes is shorter than the header record");
        return result;
    }
    ImageRecord header = RecordAt(file, 0);
    UnscrambleHeader(header);
    image.ModelNumber = ReadWord(header, HeaderModelNumber);
    image.ImageVersion = {static_cast<char>(header[HeaderImageVersion]),
                          static_cast<char>(header[HeaderImageVersion + 1])};
    image.MemorySize = ReadWord(header, HeaderMemorySize);

    std::size_t position = HeaderStrings;
    const std::optional<std::string> deviceName = DecodeHeaderString(header, position);
    if (!deviceName) {
        report.fault(ImageFault::Unreadable, "DeviceName runs past byte 130");
        return result;
    }
    image.DeviceName = *deviceName;
    if (image.DeviceName.empty()) {
        report.fault(ImageFault::EmptyDeviceName, "DeviceName is empty");
        result.errorCode = "4";
    }
    ++position;  // past the stored zero
    const std::optional<std::string> modelName = DecodeHeaderString(header, position);
    if (!modelName) {
        report.fault(ImageFault::Unreadable, "ModelName runs past byte 130");
        return result;
    }
    image.ModelName = *modelName;
    if (image.ModelName.empty()) {
        report.fault(ImageFault::EmptyModelName, "ModelName is empty");
        result.errorCode = "5";
    }

    image.Kind = SelectImageKind(header);
    const bool hasSection1 = image.Kind != ImageKind::OnlySection2;
    const bool hasSection2 = image.Kind != ImageKind::OnlySection1;
    if (hasSection1) {
        image.Section1Checksum = ReadWord(header, HeaderSection1Checksum);
        image.Section1BlockCount = ReadWord(header, HeaderSection1BlockCount);
    }
    if (hasSection2) {
        image.Section2Checksum = ReadWord(header, HeaderSection2Checksum);
        image.Section2BlockCount = ReadWord(header, HeaderSection2BlockCount);
        image.Section2Argument = ReadWord(header, HeaderSection2Argument);
    }
    image.ImageRevision = header[HeaderImageRevision];

    if (!ReadParameters(parameterRecord, image, report)) return result;

    for (int count : {image.Section1BlockCount, image.Section2BlockCount}) {
        if (count > ImageMaxBlocks) {
            report.fault(ImageFault::Unreadable,
                         "block count " + std::to_string(count) + " is above " + std::to_string(ImageMaxBlocks));
            return result;
        }
    }
    if (file.size() % ImageRecordBytes != 0) {
        report.fault(ImageFault::Unreadable,
                     "file of " + std::to_string(file.size()) + " bytes ends in a partial record");
        return result;
    }
    const std::size_t separator = image.Kind == ImageKind::BothSections ? 1 : 0;
    const std::size_t section1Records = static_cast<std::size_t>(image.Section1BlockCount);
    const std::size_t needed = 1 + section1Records + separator + static_cast<std::size_t>(image.Section2BlockCount);
    const std::size_t present = file.size() / ImageRecordBytes;
    if (present < needed) {
        report.fault(ImageFault::Unreadable,
                     "file holds " + std::to_string(present) + " records, the header needs " + std::to_string(needed));
        return result;
    }

    if (hasSection1 &&
        !ReadSection(file, 1, image.Section1BlockCount, 1, image.Section1Blocks, result.Section1Sum, report)) {
        return result;
    }
    if (hasSection2 && !ReadSection(file, 1 + section1Records + separator, image.Section2BlockCount, 2,
                                    image.Section2Blocks, result.Section2Sum, report)) {
        return result;
    }
    if (!result.ok()) return result;  // empty names are reported before any checksum

    if ((image.OnlySection1() && result.Section1Sum != image.Section1Checksum) ||
        (image.OnlySection2() && result.Section2Sum != image.Section2Checksum)) {
        const int sum = image.OnlySection1() ? result.Section1Sum : result.Section2Sum;
        const int stored = image.OnlySection1() ? image.Section1Checksum : image.Section2Checksum;
        report.fault(ImageFault::ChecksumError1,
                     "section sum " + Hex4(sum) + " differs from the stored " + Hex4(stored));
    } else if (image.BothSections() && result.Section1Sum != image.Section1Checksum) {
        report.fault(ImageFault::ChecksumError2, "section 1 sum " + Hex4(result.Section1Sum) +
                                                     " differs from the stored " + Hex4(image.Section1Checksum));
    } else if (image.BothSections() && result.Section2Sum != image.Section2Checksum) {
        report.fault(ImageFault::ChecksumError3, "section 2 sum " + Hex4(result.Section2Sum) +
                                                     " differs from the stored " + Hex4(image.Section2Checksum));
    }
    return result;
}

ImageLoadResult LoadImageFile(const std::filesystem::path& path, std::string_view parameterRecord,
                              FirmwareImage& image) {
    ImageLoadResult result;
    if (!FileExists(path)) {
        result.fault = ImageFault::FileMissing;
        result.detail = "no image file at " + Utf8Of(path) + ": " + ImageFileProblem(path);
        return result;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > MaxImageFileBytes) {
        result.fault = ImageFault::Unreadable;
        result.detail = ec ? "cannot read the size of " + Utf8Of(path) + ": " + ec.message()
                           : "file of " + std::to_string(size) + " bytes is far too large for an image";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        result.fault = ImageFault::Unreadable;
        result.detail = "cannot read " + Utf8Of(path);
        return result;
    }
    return DecodeImage(bytes, parameterRecord, image);
}

std::string VersionWithRevision(const std::string& version, std::optional<std::uint8_t> revision) {
    if (!revision) return version;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%02u", static_cast<unsigned>(*revision));
    return version + suffix;
}

std::string VersionRowText(const std::string& deviceName, const std::string& versionWord, const std::string& version,
                           std::optional<std::uint8_t> revision) {
    return deviceName + ", " + versionWord + ": " + VersionWithRevision(version, revision);
}

std::string ImageVersionRowText(const FirmwareImage& image, const std::string& versionWord) {
    const bool hasSection2 = image.OnlySection2() || image.BothSections();
    const bool shown = hasSection2 || (image.ImageRevision >= 1 && image.ImageRevision <= 99);
    return VersionRowText(image.DeviceName, versionWord, image.ImageVersion,
                          shown ? std::optional<std::uint8_t>(image.ImageRevision) : std::nullopt);
}

ImageLoadResult GetCode(const std::filesystem::path& firmwarePath, WizardServices& services, WizardState& state,
                        FirmwareImage& image, std::string_view parameterRecord) {
    image.Kind = ImageKind::None;
    image.Section1BlockCount = 0;
    image.Section2BlockCount = 0;
    services.InsertTaskList(IconRunning, services.GetText(Msg::LoadingImage), "...");
    if (!FileExists(firmwarePath)) {
        state.CommError = true;
        services.ResetStage();
        ImageLoadResult missing;
        missing.fault = ImageFault::FileMissing;
        missing.detail = ImageFileProblem(firmwarePath);
        return missing;
    }

    const ImageLoadResult result = LoadImageFile(firmwarePath, parameterRecord, image);
    if (result.loadFailed() || result.fault == ImageFault::FileMissing) {
        state.CommError = true;
        services.ResetStage();
    }
    services.SetTaskStatus(services.GetText(Msg::Done));
    services.InsertTaskList(IconRunning, services.GetText(Msg::CheckingImage), "...");

    const std::string caption = services.GetText(Msg::Failed);
    auto failWith = [&](const std::string& text) {
        services.MessageBox(BoxIcon::Critical, BoxButtons::Ok, caption, text);
        return result;
    };
    if (state.CommError) return failWith(services.GetText(Msg::ImageDamaged) + " " + result.errorCode + "!");
    switch (result.fault) {
    case ImageFault::ChecksumError1: return failWith("Check sum error 1!");
    case ImageFault::ChecksumError2: return failWith("Check sum error 2!");
    case ImageFault::ChecksumError3: return failWith("Check sum error 3!");
    default: break;
    }

    services.SetTaskStatus(services.GetText(Msg::Done));
    services.InsertTaskList(IconInfo, ImageVersionRowText(image, services.GetText(Msg::Version)), "");
    return result;
}

}  // namespace vor
