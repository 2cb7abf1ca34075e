#include "tools/dcsim/SimOptions.h"

#include <cerrno>
#include <cstdlib>

namespace vor::sim {

namespace {

bool ToDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && value >= 0.0;
}

bool ToLong(const std::string& text, long min, long max, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 0);
    return errno == 0 && end && *end == '\0' && value >= min && value <= max;
}

// KIND:N (the nth unit of that kind) or KIND@P (each with probability P); KIND may be "any".
bool ParseFault(const std::string& text, FaultAction action, FaultRule& rule) {
    rule = FaultRule{};
    rule.action = action;
    const auto sep = text.find_first_of(":@");
    if (sep == std::string::npos) return false;
    const std::string kind = text.substr(0, sep);
    std::string value = text.substr(sep + 1);
    const bool garbage = action == FaultAction::GarbageBefore || action == FaultAction::GarbageAfter;
    const bool lasting = action == FaultAction::Silent || action == FaultAction::Reject;
    if (const auto countSep = value.find(','); countSep != std::string::npos && (garbage || lasting)) {
        const std::string extra = value.substr(countSep + 1);
        value.resize(countSep);
        if (garbage) {
            long count = 0;
            if (!ToLong(extra, 1, 255, count)) return false;
            rule.garbageCount = static_cast<int>(count);
        } else if (!ToDouble(extra, rule.lastsFor) || rule.lastsFor <= 0.0 || text[sep] != ':') {
            return false;
        }
    }
    if (kind == "any") {
        rule.anyKind = true;
    } else if (!ParseUnitKind(kind, rule.kind)) {
        return false;
    }
    if (text[sep] == ':') {
        long nth = 0;
        if (!ToLong(value, 1, 1000000000, nth)) return false;
        rule.nth = static_cast<int>(nth);
        return true;
    }
    return ToDouble(value, rule.probability) && rule.probability <= 1.0;
}

}  // namespace

const char* SimOptionsHelp() {
    return "  --version VV          firmware version reported at start (default 1E)\n"
           "  --revision N          revision at start (default 1)\n"
           "  --serial N            serial number, up to 7 digits (default 12345)\n"
           "  --memory 512|1024     memory size class (default 512)\n"
           "  --profile seeded|empty|wrapped|full   profile in memory (default seeded)\n"
           "  --seed N              seed of the profile bytes and random faults (default 1)\n"
           "  --new-version VV      version after an accepted section 1 (default 1H)\n"
           "  --new-revision N      revision after an accepted section 2 (default 3)\n"
           "  --revision-byte0 N    byte 0 of the revision reply (default 186, an echo of BA)\n"
           "  --revision-stray      a stray byte ahead of every revision reply\n"
           "  --model NAME          model word of the identity (default VOR)\n"
           "  --restart-after S     silence after an accepted section (default 5)\n"
           "  --never-restart       stays silent after an accepted section\n"
           "  --wake-after S        wakes by itself S seconds after a deep-sleep command\n"
           "  --wake-delay S        from the button press to the PC screen (default 0)\n"
           "  --pc-timeout S        PC-screen countdown, 0 = none (default 120)\n"
           "  --processing-delay S  before each answer (default 0.001)\n"
           "  --chunk N             answers leave in chunks of N bytes\n"
           "  --reject KIND:N[,S]|KIND@P  answer A5 to the nth unit of KIND, or with probability P;\n"
           "                              with S, to every unit for S seconds from the nth on\n"
           "  --silent KIND:N[,S]|KIND@P  ignore it (with S: everything for S seconds)\n"
           "  --lose-reply KIND:N|KIND@P  act on it but lose the answer\n"
           "  --garbage KIND:N[,C]|KIND@P[,C]        C noise bytes ahead of the answer\n"
           "  --garbage-after KIND:N[,C]|KIND@P[,C]  C noise bytes after the answer\n"
           "  --pull-cable N        pull the cable at the nth exchange\n"
           "  --log-hex             log the traffic in hex to stderr\n"
           "  KIND: 84 a8 ba b4 b2 b2-data b5 b5-data b6 b7 b7-data b8 b9 97 97-data any\n";
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error) {
    DcConfig& c = options.config;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        auto flag = [&](const char* n) { return name == n; };
        if (flag("--log-hex")) {
            options.logHex = true;
            continue;
        }
        if (flag("--never-restart")) {
            c.neverRestart = true;
            continue;
        }
        if (flag("--revision-stray")) {
            c.revisionStray = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "option " + name + " is unknown or lacks its value";
            return false;
        }
        const std::string& v = args[++i];
        long n = 0;
        double d = 0.0;
        bool ok = true;
        FaultRule rule;
        if (flag("--version") || flag("--new-version")) {
            ok = v.size() == 2;
            (flag("--version") ? c.version : c.newVersion) = v;
        } else if (flag("--revision") || flag("--new-revision")) {
            ok = ToLong(v, 0, 255, n);
            (flag("--revision") ? c.revision : c.newRevision) = static_cast<std::uint8_t>(n);
        } else if (flag("--revision-byte0")) {
            ok = ToLong(v, 0, 255, n);
            c.revisionByte0 = static_cast<std::uint8_t>(n);
        } else if (flag("--serial")) {
            ok = ToLong(v, 0, 9999999, n);
            c.serial = static_cast<std::uint32_t>(n);
        } else if (flag("--memory")) {
            ok = v == "512" || v == "1024";
            c.memorySize = v == "1024" ? 1024 : 512;
        } else if (flag("--profile")) {
            ok = true;
            if (v == "seeded")
                c.profile = ProfileKind::Seeded;
            else if (v == "empty")
                c.profile = ProfileKind::Empty;
            else if (v == "wrapped")
                c.profile = ProfileKind::Wrapped;
            else if (v == "full")
                c.profile = ProfileKind::Full;
            else
                ok = false;
        } else if (flag("--seed")) {
            ok = ToLong(v, 0, 0x7FFFFFFF, n);
            c.seed = static_cast<std::uint32_t>(n);
        } else if (flag("--model")) {
            ok = !v.empty() && v.find(' ') == std::string::npos;
            c.model = v;
        } else if (flag("--restart-after")) {
            ok = ToDouble(v, c.restartSeconds);
        } else if (flag("--wake-after")) {
            ok = ToDouble(v, c.wakeAfter);
        } else if (flag("--wake-delay")) {
            ok = ToDouble(v, c.wakeDelay);
        } else if (flag("--pc-timeout")) {
            ok = ToDouble(v, c.pcScreenSeconds);
        } else if (flag("--processing-delay")) {
            ok = ToDouble(v, d) && d < 10.0;
            c.processingDelay = d;
        } else if (flag("--chunk")) {
            ok = ToLong(v, 1, 1000, n);
            c.chunkSize = static_cast<int>(n);
        } else if (flag("--pull-cable")) {
            ok = ToLong(v, 1, 1000000000, n);
            rule.action = FaultAction::PullCable;
            rule.anyKind = true;
            rule.nth = static_cast<int>(n);
            c.faults.push_back(rule);
        } else if (flag("--reject") || flag("--silent") || flag("--lose-reply") || flag("--garbage") ||
                   flag("--garbage-after")) {
            const FaultAction action = flag("--reject")       ? FaultAction::Reject
                                       : flag("--silent")     ? FaultAction::Silent
                                       : flag("--lose-reply") ? FaultAction::LoseReply
                                       : flag("--garbage")    ? FaultAction::GarbageBefore
                                                              : FaultAction::GarbageAfter;
            ok = ParseFault(v, action, rule);
            if (ok) c.faults.push_back(rule);
        } else {
            error = "unknown option " + name;
            return false;
        }
        if (!ok) {
            error = "bad value \"" + v + "\" for " + name;
            return false;
        }
    }
    return true;
}

}  // namespace vor::sim
