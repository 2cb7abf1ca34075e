#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/InterruptWatch.h"

namespace vor {

namespace {

int wakePipe[2] = {-1, -1};
volatile std::sig_atomic_t interruptCount = 0;

extern "C" void OnSigint(int) {
    interruptCount = interruptCount + 1;
    if (interruptCount > 1) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

class PosixInterruptWatch : public InterruptWatch {
public:
    explicit PosixInterruptWatch(std::function<void()> onInterrupt)
        : notifier_(wakePipe[0], QSocketNotifier::Read), onInterrupt_(std::move(onInterrupt)) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            char byte;
            while (read(wakePipe[0], &byte, 1) > 0) {}
            notifier_.setEnabled(false);  // the first Ctrl-C is served once
            if (onInterrupt_) onInterrupt_();
        });
    }
    ~PosixInterruptWatch() override { std::signal(SIGINT, SIG_DFL); }
    bool interrupted() const override { return interruptCount > 0; }

private:
    QSocketNotifier notifier_;
    std::function<void()> onInterrupt_;
};

}  // namespace

std::unique_ptr<InterruptWatch> WatchInterrupts(std::function<void()> onInterrupt) {
    if (wakePipe[0] < 0) {
        if (pipe(wakePipe) != 0) return nullptr;
        fcntl(wakePipe[0], F_SETFL, O_NONBLOCK);
        fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocking read of the terminal returns
    sigaction(SIGINT, &action, nullptr);
    return std::make_unique<PosixInterruptWatch>(std::move(onInterrupt));
}

}  // namespace vor
