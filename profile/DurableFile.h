#pragma once
// Whole-file writes that survive a crash, a full disk or a pulled plug: the bytes go
// to a temporary file beside the target, are flushed to the disk, and only then
// replace the target by a rename (followed by a sync of the folder). At every moment
// the target name holds either its old content or the complete new one.
//
// Hazard: the temporary file "<name>.part" may be left behind by a crash; the next
// write to the same name removes it (a link by its name only) and creates the
// temporary file anew, exclusively.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vor {

enum class WriteStep {
    TempCreated,   // the temporary file is open, still empty
    DataWritten,   // after each piece of data (bytesDone counts what is written)
    DataSynced,    // the data is on the disk under the temporary name
    Replaced,      // the target name now holds the new content
    FolderSynced,  // the rename itself is on the disk
};

// Sees every step of a write; returning false makes that step fail (fault injection).
using WriteObserver = std::function<bool(WriteStep step, std::size_t bytesDone)>;

constexpr std::size_t DurableWritePiece = 4096;  // bytes per write call

struct WriteResult {
    bool ok = false;
    std::string error;  // the system's reason when !ok
};

WriteResult WriteFileDurably(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                             const WriteObserver& observer = {});

// The file's bytes, or nothing when it cannot be opened or read or is not a regular
// file (a FIFO, a directory or a device is refused without blocking). Stops after
// maxBytes + 1 bytes, so an oversized file shows as too long without being swallowed.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes);

// Creates `path` for writing only when nothing of that name exists (a link
// included), so a name is taken by one writer alone; nullptr when it exists or
// cannot be made. Text mode writes the system's line ends.
std::FILE* CreateNewFile(const std::filesystem::path& path, bool binary);

// The temporary name WriteFileDurably uses for `target`.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target);

// True when no observer is set or the observer lets the step go on.
bool WriteStepAllowed(const WriteObserver& observer, WriteStep step, std::size_t bytesDone);

}  // namespace vor
