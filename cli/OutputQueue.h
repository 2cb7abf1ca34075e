#pragma once
// Standard output that never holds the update: the run hands its text to this queue
// and goes on; a thread of its own writes it out as fast as the reader takes it. When
// nobody reads (a stalled remote shell, Ctrl-S on a terminal, a full pipe) the text
// waits in a bounded buffer; when that is full, the oldest progress lines go first,
// then the oldest other lines. Lines marked final (the outcome) are never dropped and,
// being pushed last, are written last.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vor {

class OutputQueue {
public:
    enum class Kind { Progress, Line, Final };
    static constexpr std::size_t DefaultCapacity = 64 * 1024;  // bytes waiting for the reader

    // `sink` writes all of a text, or fails when the reader has gone (then the rest is
    // given up). It runs on the queue's thread and may block there as long as it likes.
    explicit OutputQueue(std::function<bool(const std::string&)> sink, std::size_t capacity = DefaultCapacity);
    // Waits for the sink to return from a write in progress; the process's own queue
    // is never destroyed, so a sink blocked for ever holds nobody.
    ~OutputQueue();
    OutputQueue(const OutputQueue&) = delete;
    OutputQueue& operator=(const OutputQueue&) = delete;

    // Never waits for the reader.
    void push(std::string text, Kind kind);
    // Waits at most `seconds` until the reader has taken everything; true when it has.
    bool drain(double seconds);
    // Texts dropped so far because nobody took them.
    std::size_t dropped() const;

private:
    struct Piece {
        std::string text;
        Kind kind;
    };
    void makeRoom();
    void run();

    std::function<bool(const std::string&)> sink_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> waiting_;
    std::size_t bytes_ = 0;  // of the droppable pieces waiting
    std::size_t dropped_ = 0;
    bool writing_ = false;  // the sink has a piece
    bool readerGone_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace vor
