#pragma once
// The simulated DC on a pseudo-terminal (POSIX): the program opens the slave side as
// its serial port. The transport reads what the program writes from the master side,
// feeds it to the DC at its arrival time and writes each answer when the DC's pacing
// says its last byte arrives. Thread-free: the owner calls serve() in its loop.
//
// It keeps a slave descriptor of its own open, so the master never sees a hang-up
// while the program has the port closed. Pulling the cable closes both sides.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

#include "tools/dcsim/SimulatedDc.h"

namespace vor::sim {

class PtyTransport {
public:
    explicit PtyTransport(SimulatedDc& dc);
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    // Creates the pseudo-terminal in raw mode. On failure returns false with a reason.
    bool open(std::string& error);
    const std::string& portName() const { return portName_; }

    // Monotonic seconds since the transport was made; the DC's time base.
    double now() const;

    // Serves the line for at most `maxWait` seconds (less when an answer falls due or
    // `watchFd` becomes readable, which `watchReady` then reports). Returns false once
    // the cable has been pulled.
    bool serve(double maxWait, int watchFd = -1, bool* watchReady = nullptr);

    // Closes the port: the program sees a hang-up.
    void pullCable();
    bool pulled() const { return masterFd_ < 0; }

    // How late answers left against the DC's pacing, summed, and how many left: the
    // simulator's own scheduling delay, which a benchmark must not charge to the program.
    double lateSeconds() const { return lateSeconds_; }
    int answersWritten() const { return answers_; }

    // Logs every byte both ways in hex ("rx"/"tx" with the time) to `log`; null: off.
    void setLog(std::FILE* log) { log_ = log; }

private:
    void readArrivals();
    void writeDue();
    void logBytes(const char* direction, double at, const std::uint8_t* bytes, std::size_t n);

    SimulatedDc& dc_;
    int masterFd_ = -1;
    int slaveFd_ = -1;
    std::string portName_;
    double origin_;
    std::deque<Output> due_;
    std::FILE* log_ = nullptr;
    double lateSeconds_ = 0.0;
    int answers_ = 0;
};

}  // namespace vor::sim
