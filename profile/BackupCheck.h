#pragma once
// Whether a backup file can be trusted before it is written into a DC or deleted: its
// size, its head (the header's sum, the serial digits), every block's address and check
// byte, and the digest kept beside it. A file saved before digests were kept is judged
// by the rest alone. Reads files; writes only the digest.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "profile/BackupFormat.h"
#include "profile/DurableFile.h"
#include "profile/ProfileLocation.h"

namespace vor {

struct CheckedBackup {
    std::optional<BackupContent> content;  // set when the file can be trusted
    ProfileSpan span;                      // where its header locates the profile
    std::string damage;                    // what is wrong (English), when it cannot be trusted
};

CheckedBackup CheckBackupFile(const std::filesystem::path& file, int memorySize);

// "<backup>.sha256": the digest's line, as sha256sum writes and checks it.
std::filesystem::path DigestPathFor(const std::filesystem::path& backup);
WriteResult WriteBackupDigest(const std::filesystem::path& backup, std::span<const std::uint8_t> bytes,
                              const WriteObserver& observer = {});

}  // namespace vor
