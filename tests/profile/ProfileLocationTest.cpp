#include <gtest/gtest.h>

#include <array>

#include "profile/ProfileLocation.h"

using namespace vor;

namespace {

ProfileSpan Locate(std::uint8_t sLo, std::uint8_t sHi, std::uint8_t eLo, std::uint8_t eHi, int memorySize) {
    const std::array<std::uint8_t, 4> bytes{sLo, sHi, eLo, eHi};
    return LocateProfile(bytes, memorySize);
}

}  // namespace

TEST(ProfileLocation, PointerFormDependsOnMemorySize) {
    EXPECT_EQ(PointerLine(0x34, 0x12, 512), 0x123);    // byte address
    EXPECT_EQ(PointerLine(0x34, 0x12, 1024), 0x1234);  // line number
    EXPECT_EQ(PointerLine(0xFF, 0xFF, 512), 4095);
}

TEST(ProfileLocation, EqualPointersAreEmptyAndKeepTheDecodedLines) {
    const ProfileSpan s = Locate(0x40, 0x12, 0x4F, 0x12, 512);  // both in line 0x124
    EXPECT_TRUE(s.empty);
    EXPECT_EQ(s.startLine, 0x124);
    EXPECT_EQ(s.endLine, 0x124);
    EXPECT_EQ(s.blockCount, 0);
}

TEST(ProfileLocation, StartInsideABlockBeginsAtThatBlockAndEndsWithTheEndLinesBlock) {
    // 512: lines 291 .. 416
    const ProfileSpan s = Locate(0x30, 0x12, 0x00, 0x1A, 512);
    EXPECT_FALSE(s.empty);
    EXPECT_EQ(s.startLine, 291);
    EXPECT_EQ(s.endLine, 416);
    EXPECT_EQ(s.firstBlockLine, 288);
    EXPECT_EQ(s.blockCount, 17);  // blocks 36 .. 52
    EXPECT_FALSE(s.outOfRange);
}

TEST(ProfileLocation, WrappedPointersTakeTheWholeArea) {
    const ProfileSpan s512 = Locate(0x00, 0x20, 0x00, 0x18, 512);
    EXPECT_EQ(s512.startLine, 256);
    EXPECT_EQ(s512.endLine, 4063);
    EXPECT_EQ(s512.firstBlockLine, 256);
    EXPECT_EQ(s512.blockCount, 476);

    const ProfileSpan s1024 = Locate(0x00, 0x10, 0x00, 0x05, 1024);
    EXPECT_EQ(s1024.endLine, 8159);
    EXPECT_EQ(s1024.blockCount, 988);
    EXPECT_FALSE(s1024.outOfRange);
}

TEST(ProfileLocation, PointersBelowTheAreaGiveOneBlockAtLine256) {
    const ProfileSpan s = Locate(0x10, 0x00, 0x20, 0x00, 1024);  // lines 16 and 32
    EXPECT_EQ(s.startLine, 256);
    EXPECT_EQ(s.endLine, 256);
    EXPECT_EQ(s.firstBlockLine, 256);
    EXPECT_EQ(s.blockCount, 1);

    const ProfileSpan startOnly = Locate(0x10, 0x00, 0x08, 0x01, 1024);  // 16 .. 264
    EXPECT_EQ(startOnly.firstBlockLine, 256);
    EXPECT_EQ(startOnly.blockCount, 2);
}

TEST(ProfileLocation, MoreThan1024BlocksOrUnsendableAddressesAreOutOfRange) {
    const ProfileSpan tooMany = Locate(0x00, 0x01, 0xFF, 0xFF, 1024);  // 256 .. 65535
    EXPECT_TRUE(tooMany.outOfRange);

    const ProfileSpan exactly1024 = Locate(0x00, 0x01, 0xFF, 0x20, 1024);  // 256 .. 8447: blocks 32..1055
    EXPECT_EQ(exactly1024.blockCount, 1024);
    EXPECT_FALSE(exactly1024.outOfRange);

    // Few blocks, but so high that line - 256 does not fit a block address.
    const ProfileSpan high = Locate(0x00, 0xF0, 0x10, 0xF0, 1024);
    EXPECT_EQ(high.blockCount, 3);
    EXPECT_TRUE(high.outOfRange);
}
