#pragma once
// Whether a window system is there to show windows on, asked before any Qt
// application exists.

namespace vor {

// Linux: a DISPLAY or WAYLAND_DISPLAY in the environment. Windows and macOS always
// have one.
bool HasDisplayServer();

}  // namespace vor
