#include "tools/dcsim/PtyTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vor::sim {

namespace {

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

PtyTransport::PtyTransport(SimulatedDc& dc) : dc_(dc), origin_(SteadySeconds()) {}

PtyTransport::~PtyTransport() { pullCable(); }

double PtyTransport::now() const { return SteadySeconds() - origin_; }

bool PtyTransport::open(std::string& error) {
    masterFd_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (masterFd_ < 0 || grantpt(masterFd_) != 0 || unlockpt(masterFd_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        pullCable();
        return false;
    }
    const char* name = ptsname(masterFd_);
    portName_ = name ? name : "";
    slaveFd_ = portName_.empty() ? -1 : ::open(portName_.c_str(), O_RDWR | O_NOCTTY);
    if (slaveFd_ < 0 || !MakeRaw(slaveFd_) || !MakeRaw(masterFd_)) {
        error = "cannot set up the pseudo-terminal " + portName_ + ": " + std::strerror(errno);
        pullCable();
        return false;
    }
    fcntl(masterFd_, F_SETFL, fcntl(masterFd_, F_GETFL) | O_NONBLOCK);
    return true;
}

void PtyTransport::pullCable() {
    if (slaveFd_ >= 0) ::close(slaveFd_);
    if (masterFd_ >= 0) ::close(masterFd_);
    slaveFd_ = masterFd_ = -1;
    due_.clear();
}

bool PtyTransport::serve(double maxWait, int watchFd, bool* watchReady) {
    if (watchReady) *watchReady = false;
    if (pulled()) return false;
    double wait = std::max(maxWait, 0.0);
    if (!due_.empty()) wait = std::clamp(due_.front().at - now(), 0.0, wait);

    pollfd fds[2] = {{masterFd_, POLLIN, 0}, {watchFd, POLLIN, 0}};
    const nfds_t count = watchFd >= 0 ? 2 : 1;
    // Nanosecond timeout: millisecond rounding would delay every answer.
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(wait);
    timeout.tv_nsec = static_cast<long>((wait - std::floor(wait)) * 1e9);
    const int ready = ppoll(fds, count, &timeout, nullptr);
    if (ready > 0) {
        if (fds[0].revents & POLLIN) readArrivals();
        if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP)) && watchReady) *watchReady = true;
    }
    writeDue();
    return !pulled();
}

void PtyTransport::readArrivals() {
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(masterFd_, buffer, sizeof buffer);
        if (n <= 0) return;  // EAGAIN: all read; EIO: nobody on the slave side
        const double at = now();
        logBytes("rx", at, buffer, static_cast<std::size_t>(n));
        for (Output& out : dc_.receive({buffer, static_cast<std::size_t>(n)}, at)) due_.push_back(std::move(out));
    }
}

// A program that stops reading fills the pty; an answer it cannot take is lost.
constexpr int FullLineWaitMs = 100;
constexpr int FullLineTries = 10;

void PtyTransport::writeDue() {
    while (!due_.empty() && due_.front().at <= now()) {
        Output out = std::move(due_.front());
        due_.pop_front();
        if (out.pullCable) {
            if (log_) std::fprintf(log_, "%10.4f cable pulled\n", now());
            pullCable();
            return;
        }
        const double writtenAt = now();
        lateSeconds_ += writtenAt - out.at;
        ++answers_;
        logBytes("tx", writtenAt, out.bytes.data(), out.bytes.size());
        std::size_t done = 0;
        int fullTries = 0;
        while (done < out.bytes.size()) {
            const ssize_t n = ::write(masterFd_, out.bytes.data() + done, out.bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN && ++fullTries <= FullLineTries) {
                pollfd pfd{masterFd_, POLLOUT, 0};
                ::poll(&pfd, 1, FullLineWaitMs);
            } else {
                break;  // the line is gone; the answer is lost like on a real cable
            }
        }
    }
}

void PtyTransport::logBytes(const char* direction, double at, const std::uint8_t* bytes, std::size_t n) {
    if (!log_) return;
    std::fprintf(log_, "%10.4f %s", at, direction);
    for (std::size_t i = 0; i < n; ++i) std::fprintf(log_, " %02X", bytes[i]);
    std::fprintf(log_, "\n");
}

}  // namespace vor::sim
