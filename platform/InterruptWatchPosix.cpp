#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/InterruptWatch.h"

namespace vor {

namespace {

constexpr int WatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int SignalsServed = 2;  // the next one ends the program without the loop

int wakePipe[2] = {-1, -1};
volatile std::sig_atomic_t interruptCount = 0;

extern "C" void OnSignal(int number) {
    interruptCount = interruptCount + 1;
    if (interruptCount > SignalsServed) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

class PosixInterruptWatch : public InterruptWatch {
public:
    explicit PosixInterruptWatch(std::function<void(Interrupt)> onInterrupt)
        : notifier_(wakePipe[0], QSocketNotifier::Read), onInterrupt_(std::move(onInterrupt)) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            char byte = 0;
            char first = 0;
            while (read(wakePipe[0], &byte, 1) > 0)
                if (!first) first = byte;
            // Two signals read at once are told as one: count() says there were two.
            if (first && onInterrupt_) onInterrupt_(first == SIGINT ? Interrupt::CtrlC : Interrupt::Terminate);
        });
    }
    ~PosixInterruptWatch() override {
        for (int number : WatchedSignals) std::signal(number, SIG_DFL);
    }
    bool interrupted() const override { return interruptCount > 0; }
    int count() const override { return interruptCount; }

private:
    QSocketNotifier notifier_;
    std::function<void(Interrupt)> onInterrupt_;
};

}  // namespace

std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void(Interrupt)> onInterrupt) {
    if (wakePipe[0] < 0) {
        if (pipe(wakePipe) != 0) return nullptr;
        fcntl(wakePipe[0], F_SETFL, O_NONBLOCK);
        fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocking read of the terminal returns
    for (int number : WatchedSignals) sigaction(number, &action, nullptr);
    // A closed pipe makes writes fail with EPIPE instead of killing the run.
    std::signal(SIGPIPE, SIG_IGN);
    return std::make_unique<PosixInterruptWatch>(std::move(onInterrupt));
}

}  // namespace vor
