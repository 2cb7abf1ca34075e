#include "cli/OutputQueue.h"

#include <algorithm>
#include <chrono>

#ifndef _WIN32
#include <csignal>
#include <pthread.h>
#endif

namespace vor {

OutputQueue::OutputQueue(std::function<bool(const std::string&)> sink, std::size_t capacity)
    : sink_(std::move(sink)), capacity_(capacity) {
#ifndef _WIN32
    // Signals go to the run's own thread, where they end a blocking read of the
    // terminal; this thread inherits the mask while it starts.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    thread_ = std::thread([this] { run(); });
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
#else
    thread_ = std::thread([this] { run(); });
#endif
}

OutputQueue::~OutputQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void OutputQueue::push(std::string text, Kind kind) {
    {
        const std::lock_guard lock(mutex_);
        if (readerGone_) return;
        if (kind != Kind::Final) bytes_ += text.size();
        waiting_.push_back({std::move(text), kind});
        makeRoom();
    }
    changed_.notify_all();
}

void OutputQueue::makeRoom() {
    for (const Kind victim : {Kind::Progress, Kind::Line}) {
        for (auto it = waiting_.begin(); bytes_ > capacity_ && it != waiting_.end();) {
            if (it->kind != victim) {
                ++it;
                continue;
            }
            bytes_ -= it->text.size();
            it = waiting_.erase(it);
            ++dropped_;
        }
    }
}

bool OutputQueue::drain(double seconds) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                             [this] { return readerGone_ || (waiting_.empty() && !writing_); });
}

std::size_t OutputQueue::dropped() const {
    const std::lock_guard lock(mutex_);
    return dropped_;
}

void OutputQueue::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) return;  // stopping, and all is written
        Piece piece = std::move(waiting_.front());
        waiting_.pop_front();
        if (piece.kind != Kind::Final) bytes_ -= piece.text.size();
        writing_ = true;
        lock.unlock();
        const bool written = sink_(piece.text);  // may block: the run goes on meanwhile
        lock.lock();
        writing_ = false;
        if (!written) {  // the reader went away: nobody will take the rest
            readerGone_ = true;
            waiting_.clear();
            bytes_ = 0;
        }
        changed_.notify_all();
        if (stopping_ && readerGone_) return;
    }
}

}  // namespace vor
