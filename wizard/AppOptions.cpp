#include "wizard/AppOptions.h"

namespace vor {

std::optional<AppOptions> ParseAppOptions(const std::vector<std::string>& args, std::string& error) {
    AppOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--port") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--port needs a port name";
                return std::nullopt;
            }
            options.port = args[++i];
        } else if (arg.rfind("--port=", 0) == 0 && arg.size() > 7) {
            options.port = arg.substr(7);
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace vor
