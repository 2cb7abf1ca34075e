#pragma once
// The text description from which vor-tool builds an image: "key = value" lines,
// "#" starts a comment. Keys:
//   model, version, memory, revision, argument, device, model-name,
//   kind = section1 | section2 | both,
//   key = 8 hex bytes (the header key),
//   section1.count, section1.start, section1.step (default 0x80), and the same for section2,
//   seed = N  (block data from a seeded generator; the default),
//   data = 128 hex bytes (the same data in every block),
//   check = hex byte (the check byte of every block; default the 8-bit sum of its data).
// Numbers are decimal or 0x-hex. Block r of a section has address
// (start + (r - 1) * step) modulo 0x8000, so long sections stay loadable.

#include <string_view>

#include "firmware/ImageCodec.h"

namespace vor {

// Throws std::invalid_argument naming the line of an unknown key or a bad value.
ImageContent ParseImageDescription(std::string_view text);

}  // namespace vor
