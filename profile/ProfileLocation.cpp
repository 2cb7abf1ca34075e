#include "profile/ProfileLocation.h"

namespace vor {

int PointerLine(std::uint8_t low, std::uint8_t high, int memorySize) {
    const int value = high * 256 + low;
    return memorySize == LineMemorySize ? value : value / 16;
}

ProfileSpan LocateProfile(std::span<const std::uint8_t, 4> pointerBytes, int memorySize) {
    ProfileSpan span;
    span.startLine = PointerLine(pointerBytes[0], pointerBytes[1], memorySize);
    span.endLine = PointerLine(pointerBytes[2], pointerBytes[3], memorySize);
    if (span.startLine == span.endLine) {
        span.empty = true;
        return span;
    }
    if (span.endLine < span.startLine) {  // wrapped: take the whole area
        span.endLine = memorySize * LinesPerBlock - ProfileAreaTailLines;
        span.startLine = ProfileAreaFirstLine;
    }
    if (span.startLine < ProfileAreaFirstLine) span.startLine = ProfileAreaFirstLine;
    if (span.endLine < ProfileAreaFirstLine) span.endLine = ProfileAreaFirstLine;

    span.firstBlockLine = span.startLine / LinesPerBlock * LinesPerBlock;
    span.blockCount = span.endLine / LinesPerBlock - span.startLine / LinesPerBlock + 1;
    const int lastBlockLine = span.firstBlockLine + (span.blockCount - 1) * LinesPerBlock;
    span.outOfRange = span.blockCount > MaxProfileBlocks || lastBlockLine - ProfileAreaFirstLine > MaxBlockAddress;
    return span;
}

}  // namespace vor
