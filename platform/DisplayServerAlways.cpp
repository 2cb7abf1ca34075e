// Windows and macOS: the desktop is always there for a program a user starts.

#include "platform/DisplayServer.h"

namespace vor {

bool HasDisplayServer() { return true; }

}  // namespace vor
