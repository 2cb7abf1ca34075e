#include <cstdio>

#include "tools/ToolCommands.h"

namespace vor::tool {

int TextsCommand(const Args&) {
    std::fprintf(stderr, "vor-tool texts: not built yet\n");
    return 2;
}

}  // namespace vor::tool
