#pragma once
// The Windows half of window placement without Qt: a native window handle above all
// others (or back in the ordinary Z order), position, size and focus unchanged.

#include <cstdint>

namespace vor {

// False when the system refused.
bool SetTopMostNativeWindow(std::uintptr_t windowHandle, bool topMost);

}  // namespace vor
