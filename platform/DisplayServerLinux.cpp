#include <cstdlib>

#include "platform/DisplayServer.h"

namespace vor {

namespace {
bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}
}  // namespace

bool HasDisplayServer() { return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"); }

}  // namespace vor
