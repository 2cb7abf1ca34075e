#pragma once
// Wire constants shared by every command of the DC's link.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vor {

constexpr std::uint8_t AckByte = 0x5A;  // first byte of an acknowledgement or acknowledged reply
constexpr std::uint8_t NakByte = 0xA5;  // first byte of a rejection: the command is sent again

constexpr int NoCommand = -1;  // PendingCommand when no reply is awaited

// What the block and line commands carry.
constexpr std::size_t CodeBlockLength = 129;    // a block write: 128 bytes and the check byte
constexpr std::size_t MemoryBlockLength = 128;  // a memory read: 8 lines, no check byte
constexpr std::size_t MemoryLineLength = 17;    // a line write: 16 bytes and their sum
using CodeBlock = std::array<std::uint8_t, CodeBlockLength>;
using MemoryBlock = std::array<std::uint8_t, MemoryBlockLength>;
using MemoryLine = std::array<std::uint8_t, MemoryLineLength>;

namespace Cmd {
constexpr std::uint8_t Identity = 0x84;
constexpr std::uint8_t DeepSleep = 0xA8;
constexpr std::uint8_t Revision = 0xBA;
constexpr std::uint8_t LineWrite = 0xB2;
constexpr std::uint8_t MemoryRead = 0xB4;
constexpr std::uint8_t Block1 = 0xB5;     // block of code section 1, or a profile block
constexpr std::uint8_t Close1 = 0xB6;     // closing word of section 1
constexpr std::uint8_t Block2 = 0xB7;     // block of code section 2
constexpr std::uint8_t Argument2 = 0xB8;  // section-2 argument
constexpr std::uint8_t Close2 = 0xB9;     // closing word of section 2
constexpr std::uint8_t Clock = 0x97;
}  // namespace Cmd

// A code and a 16-bit address or value, high byte first.
using AddressCommand = std::array<std::uint8_t, 3>;
constexpr AddressCommand MakeAddressCommand(std::uint8_t code, int value) {
    return {code, static_cast<std::uint8_t>(value / 256), static_cast<std::uint8_t>(value % 256)};
}

constexpr std::uint8_t DeepSleepVariant = 0x55;  // DC sleeps; the diver wakes it into the PC screen
constexpr std::uint8_t LeavePcVariant = 0x99;    // sent after an update

}  // namespace vor
