#include <cstdio>

#include "tools/ToolCommands.h"

namespace vor::tool {

int SimCommand(const Args&) {
    std::fprintf(stderr, "vor-tool sim: not built yet\n");
    return 2;
}

}  // namespace vor::tool
