#pragma once
// Where the used part of the DC's profile area lies, from the start and end pointers
// kept in block 0 (bytes 72..75, also bytes 8..11 of the saved profile header).
// Pure arithmetic, no I/O.

#include <cstdint>
#include <span>

namespace vor {

constexpr int LinesPerBlock = 8;
constexpr int ProfileAreaFirstLine = 256;  // below it lies block 0 and the DC's own data
constexpr int ProfileAreaTailLines = 33;   // the area ends at line MemorySize*8 - 33
constexpr int LineMemorySize = 1024;       // this size class keeps pointers as line numbers
constexpr int MaxProfileBlocks = 1024;     // rows of the profile table
constexpr int MaxBlockAddress = 32767;     // largest address value a block write can carry

struct ProfileSpan {
    int startLine = 0;  // after the clamping rules (raw decoded value when empty)
    int endLine = 0;
    bool empty = false;      // equal pointers: nothing stored
    int firstBlockLine = 0;  // first line of the first block to back up
    int blockCount = 0;      // blocks from firstBlockLine on
    // The span needs more rows than the table holds, or a block whose address value
    // (line - 256) a block write cannot carry. Such pointers are garbage to us.
    bool outOfRange = false;
};

// Line number a pointer means for this memory size class.
int PointerLine(std::uint8_t low, std::uint8_t high, int memorySize);

// pointerBytes = start low, start high, end low, end high.
ProfileSpan LocateProfile(std::span<const std::uint8_t, 4> pointerBytes, int memorySize);

}  // namespace vor
