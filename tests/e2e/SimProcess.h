#pragma once
// `vor-tool sim` as a child process on a pseudo-terminal, for the tests that run in
// real time through a real serial port.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vor::e2e {

// Its port name, and its control channel.
class SimProcess {
public:
    // `errorFile`: where the simulator's standard error goes (its --log-hex traffic); empty: this process's.
    explicit SimProcess(const std::vector<std::string>& options, const std::filesystem::path& errorFile = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& port() const { return port_; }
    // A control line; its answer line.
    std::string command(const std::string& line);
    // The DC's whole memory, dumped into `file`.
    std::vector<std::uint8_t> memory(const std::filesystem::path& file);

private:
    std::string readLine();

    pid_t pid_ = -1;
    int control_ = -1;
    int answers_ = -1;
    std::string port_;
};

// Lines 256..4063 and line 4 of a 512-class memory dump: the profile and its header.
std::vector<std::uint8_t> ProfileLines(const std::vector<std::uint8_t>& memory);
// The profile as the DC reads it from a 512-class memory dump: its header line 4 and the
// blocks from the start pointer's line to the end pointer's (the whole area when it
// wraps). A restore puts back this much; the rest of the area is free memory.
std::vector<std::uint8_t> UsedProfile(const std::vector<std::uint8_t>& memory);

}  // namespace vor::e2e
