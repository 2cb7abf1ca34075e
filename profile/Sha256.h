#pragma once
// SHA-256 of a byte string, for the digest kept beside each backup file: a plain sum
// (the blocks' check bytes) misses damage that cancels out, this does not.

#include <cstdint>
#include <span>
#include <string>

namespace vor {

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace vor
