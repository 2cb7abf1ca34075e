#include "tools/dcsim/SimControl.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace vor::sim {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

const char* ModeName(DcMode mode) {
    switch (mode) {
    case DcMode::Awake: return "awake";
    case DcMode::PcScreen: return "pc-screen";
    case DcMode::Asleep: return "asleep";
    case DcMode::Restarting: return "restarting";
    }
    return "?";
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

}  // namespace

std::string DescribeFirmware(const SimulatedDc& dc) {
    std::string text = "version " + dc.version() + " revision " + std::to_string(dc.revision()) + "\n";
    for (const SectionRecord& s : dc.sections()) {
        text += "section " + std::to_string(s.section) + ": " + std::to_string(s.blockCount) +
                " blocks, checksum sent " + Hex(s.checksumSent, 4) + " computed " + Hex(s.checksumComputed, 4);
        if (s.argument) text += ", argument " + Hex(*s.argument, 4);
        text += s.accepted ? ", accepted\n" : ", refused\n";
    }
    return text;
}

ControlResult RunControlCommand(SimulatedDc& dc, const std::string& line, double now) {
    const auto w = Words(line);
    ControlResult r;
    if (w.empty()) return r;
    dc.advanceTo(now);
    const std::string& cmd = w[0];
    if (cmd == "press" && w.size() == 1) {
        dc.press(now);
        r.text = std::string("buttons pressed; DC ") + ModeName(dc.mode()) + "\n";
    } else if (cmd == "clip" && w.size() == 1) {
        dc.clip(now);
        r.text = "cable clipped on\n";
    } else if (cmd == "unclip" && w.size() == 1) {
        dc.unclip(now);
        r.text = "cable unclipped\n";
    } else if (cmd == "pull" && w.size() == 1) {
        r.pullCable = true;
        r.text = "cable pulled\n";
    } else if (cmd == "quit" && w.size() == 1) {
        r.quit = true;
    } else if (cmd == "status" && w.size() == 1) {
        r.text = std::string("mode ") + ModeName(dc.mode()) + ", identity \"" + dc.identityText() + "\", exchanges " +
                 std::to_string(dc.totalExchanges()) + ", dropped units " + std::to_string(dc.droppedUnits()) + "\n";
    } else if (cmd == "dump" && w.size() == 3 && w[1] == "memory") {
        std::ofstream out(w[2], std::ios::binary);
        const auto& bytes = dc.memory().bytes();
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        r.ok = static_cast<bool>(out);
        r.text = r.ok ? "memory written to " + w[2] + " (" + std::to_string(bytes.size()) + " bytes)\n"
                      : "cannot write " + w[2] + "\n";
    } else if (cmd == "dump" && w.size() == 2 && w[1] == "firmware") {
        r.text = DescribeFirmware(dc);
    } else if (cmd == "dump" && w.size() == 2 && w[1] == "clock") {
        if (const auto clock = dc.lastClockRecord()) {
            r.text = "clock";
            for (std::uint8_t b : *clock) r.text += " " + Hex(b, 2);
            r.text += "\n";
        } else {
            r.text = "no clock record\n";
        }
    } else if (cmd == "help" && w.size() == 1) {
        r.text = "press | clip | unclip | pull | status | dump memory FILE | dump firmware | dump clock | quit\n";
    } else {
        r.ok = false;
        r.text = "unknown control command: " + line + "\n";
    }
    return r;
}

}  // namespace vor::sim
