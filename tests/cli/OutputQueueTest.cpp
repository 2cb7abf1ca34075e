// Standard output's queue with a reader that takes nothing until told to: the run
// never waits, progress goes first when the buffer is full, the outcome is kept whole
// and comes last.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include "cli/OutputQueue.h"

namespace vor {
namespace {

// A reader that takes nothing until it is let go, then everything.
class StalledReader {
public:
    bool take(const std::string& text) {
        std::unique_lock lock(mutex_);
        asked_ = true;
        stalled_.notify_all();
        stalled_.wait(lock, [this] { return reading_; });
        taken_ += text;
        return true;
    }
    void waitUntilAsked() {
        std::unique_lock lock(mutex_);
        stalled_.wait(lock, [this] { return asked_; });
    }
    void readAgain() {
        {
            const std::lock_guard lock(mutex_);
            reading_ = true;
        }
        stalled_.notify_all();
    }
    std::string taken() {
        const std::lock_guard lock(mutex_);
        return taken_;
    }

private:
    std::mutex mutex_;
    std::condition_variable stalled_;
    bool asked_ = false;
    bool reading_ = false;
    std::string taken_;
};

TEST(OutputQueue, StalledReaderMissesProgressFirstThenOldLinesButNeverTheOutcome) {
    StalledReader reader;
    OutputQueue out([&reader](const std::string& t) { return reader.take(t); }, 40);
    out.push("first\n", OutputQueue::Kind::Line);
    reader.waitUntilAsked();  // the writer holds "first" and waits for the reader
    for (int i = 0; i < 1000; ++i) out.push(std::to_string(i % 10) + "%\n", OutputQueue::Kind::Progress);
    out.push("row 1\n", OutputQueue::Kind::Line);
    out.push("row 2\n", OutputQueue::Kind::Line);
    out.push("9%\n", OutputQueue::Kind::Progress);
    EXPECT_FALSE(out.drain(0.0));
    for (int i = 3; i < 12; ++i) out.push("row " + std::to_string(i) + "\n", OutputQueue::Kind::Line);
    const std::string outcome(200, 'o');  // larger than the whole buffer
    out.push(outcome + "\n", OutputQueue::Kind::Final);

    reader.readAgain();
    ASSERT_TRUE(out.drain(60.0));
    // 40 bytes hold the newest six rows; every progress line went before any row.
    EXPECT_EQ(reader.taken(), "first\nrow 6\nrow 7\nrow 8\nrow 9\nrow 10\nrow 11\n" + outcome + "\n");
    EXPECT_EQ(out.dropped(), 1001u + 5u);
}

}  // namespace
}  // namespace vor
