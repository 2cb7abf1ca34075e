#include <cstdio>

#include "tools/ToolCommands.h"

namespace vor::tool {

int BenchCommand(const Args&) {
    std::fprintf(stderr, "vor-tool bench: not built yet\n");
    return 2;
}

}  // namespace vor::tool
