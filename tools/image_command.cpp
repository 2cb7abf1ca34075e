#include <cstdio>

#include "tools/ToolCommands.h"

namespace vor::tool {

int ImageCommand(const Args&) {
    std::fprintf(stderr, "vor-tool image: not built yet\n");
    return 2;
}

}  // namespace vor::tool
