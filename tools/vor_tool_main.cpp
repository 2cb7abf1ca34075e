// vor-tool: the project's own tool for texts, images, the simulated DC and benchmarks.

#include <cstdio>
#include <cstring>

#include "tools/ToolCommands.h"

int main(int argc, char** argv) {
    using namespace vor::tool;
    struct Entry {
        const char* name;
        int (*run)(const Args&);
        const char* help;
    };
    static const Entry commands[] = {
        {"texts", TextsCommand, "texts build SOURCE.tsv OUT.lng | texts dump FILE.lng"},
        {"image", ImageCommand, "image build DESCRIPTION OUT.FWR [options] | image inspect FILE"},
        {"sim", SimCommand, "sim [options]: the simulated DC on a pseudo-terminal"},
        {"bench", BenchCommand, "bench: link timing against the simulated DC"},
    };
    if (argc >= 2) {
        for (const Entry& e : commands) {
            if (std::strcmp(argv[1], e.name) == 0) return e.run(Args(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "usage: vor-tool COMMAND ...\n");
    for (const Entry& e : commands) std::fprintf(stderr, "  %s\n", e.help);
    return 2;
}
