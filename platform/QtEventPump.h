#pragma once
// The real event pump: Qt's event loop and a monotonic clock.

#include <QElapsedTimer>

#include "platform/EventPump.h"

namespace vor {

class QtEventPump : public EventPump {
public:
    QtEventPump();
    double now() override;
    // Serves events and blocks (in the event dispatcher, not spinning) until one was
    // served or the deadline passed.
    void yieldUntil(double deadline) override;
    void sleepFor(double seconds) override;
    LocalTime localTime() override;

    // After this, every yield throws ProgramEnding so waiting operations unwind.
    void endProgram() { ending_ = true; }
    bool ending() const { return ending_; }

private:
    QElapsedTimer clock_;
    bool ending_ = false;
};

}  // namespace vor
