#include "session/Utf8Path.h"
#include "profile/BackupCheck.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "profile/Sha256.h"

namespace vor {
namespace {

constexpr std::size_t DigestHexLength = 64;
constexpr std::size_t NamedBlocks = 10;  // a damage text names at most this many blocks

std::string HeadDamage(const BackupContent& content) {
    if (content.header[16] != ByteSum(std::span(content.header).first<16>()))
        return "its header does not match its check byte";
    const auto digits = std::span(content.digits);
    if (std::any_of(digits.begin(), digits.begin() + 6, [](std::uint8_t d) { return d > 9; }) ||
        std::any_of(digits.begin() + 6, digits.end(), [](std::uint8_t d) { return d != 0; }))
        return "its serial number is not six digits";
    return {};
}

// 1-based rows whose address is not the span's, or whose bytes or check byte are off.
std::vector<int> DamagedBlocks(const BlockTable& blocks, const ProfileSpan& span) {
    std::vector<int> damaged;
    for (int row = 0; row < span.blockCount; ++row) {
        const BlockRow& values = blocks[row];
        bool sound = values[0] == span.firstBlockLine - ProfileAreaFirstLine + LinesPerBlock * row;
        unsigned sum = 0;
        for (std::size_t column = 1; column + 1 < values.size(); ++column) {
            sound = sound && values[column] >= 0 && values[column] <= 255;
            sum += static_cast<unsigned>(values[column]);
        }
        if (!sound || values.back() != static_cast<std::int16_t>(sum % 256)) damaged.push_back(row + 1);
    }
    return damaged;
}

std::string BlocksText(const std::vector<int>& blocks) {
    std::string text = blocks.size() == 1 ? "block " : "blocks ";
    for (std::size_t i = 0; i < std::min(blocks.size(), NamedBlocks); ++i)
        text += (i ? ", " : "") + std::to_string(blocks[i]);
    if (blocks.size() > NamedBlocks) text += " and " + std::to_string(blocks.size() - NamedBlocks) + " more";
    return text + (blocks.size() == 1 ? " does" : " do") + " not match " + (blocks.size() == 1 ? "its" : "their") +
           " check byte";
}

// Empty when the digest beside `file` matches or there is none.
std::string DigestDamage(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path digestFile = DigestPathFor(file);
    std::error_code ec;
    if (std::filesystem::symlink_status(digestFile, ec).type() == std::filesystem::file_type::not_found) return {};
    const auto digest = ReadWholeFile(digestFile, DigestHexLength + 4096);
    if (!digest || digest->size() < DigestHexLength) return "the digest saved beside it cannot be read";
    if (!std::equal(digest->begin(), digest->begin() + DigestHexLength, Sha256Hex(bytes).begin()))
        return "its content does not match the digest saved beside it";
    return {};
}

}  // namespace

CheckedBackup CheckBackupFile(const std::filesystem::path& file, int memorySize) {
    CheckedBackup checked;
    const auto bytes = ReadWholeFile(file, BackupFileSize);
    if (!bytes) {
        checked.damage = "it cannot be read";
        return checked;
    }
    auto content = DecodeBackup(*bytes);
    if (!content) {
        checked.damage =
            "it holds " + std::to_string(bytes->size()) + " bytes instead of " + std::to_string(BackupFileSize);
        return checked;
    }
    checked.span = LocateProfile(HeaderPointers(content->header), memorySize);
    checked.damage = HeadDamage(*content);
    if (checked.damage.empty() && !checked.span.empty) {
        if (checked.span.outOfRange) {
            checked.damage = "its header points outside the profile area";
        } else if (const auto blocks = DamagedBlocks(content->blocks, checked.span); !blocks.empty()) {
            checked.damage = BlocksText(blocks);
        }
    }
    if (checked.damage.empty()) checked.damage = DigestDamage(file, *bytes);
    if (checked.damage.empty()) checked.content = std::move(content);
    return checked;
}

std::filesystem::path DigestPathFor(const std::filesystem::path& backup) {
    std::filesystem::path digest = backup;
    digest += ".sha256";
    return digest;
}

WriteResult WriteBackupDigest(const std::filesystem::path& backup, std::span<const std::uint8_t> bytes,
                              const WriteObserver& observer) {
    const std::string line = Sha256Hex(bytes) + "  " + Utf8Of(backup.filename()) + "\n";
    return WriteFileDurably(DigestPathFor(backup),
                            std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()), observer);
}

}  // namespace vor
