#include "platform/QtEventPump.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <thread>

namespace vor {

QtEventPump::QtEventPump() { clock_.start(); }

double QtEventPump::now() { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

void QtEventPump::yieldUntil(double deadline) {
    if (ending_) throw ProgramEnding();
    // At least 1 ms, so a deadline already past still lets time move on.
    const double waitMs = std::max(1.0, std::ceil((deadline - now()) * 1000.0));
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::min(waitMs, 3600000.0)));
    // Returns once at least one event (the timer's, at the latest) was processed.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (ending_) throw ProgramEnding();
}

void QtEventPump::sleepFor(double seconds) {
    const double until = now() + seconds;
    while (now() <= until) std::this_thread::sleep_for(std::chrono::duration<double>(std::max(0.0005, until - now())));
}

LocalTime QtEventPump::localTime() {
    const QDateTime t = QDateTime::currentDateTime();
    return {t.date().year(), t.date().month(), t.date().day(), t.time().hour(), t.time().minute(), t.time().second()};
}

}  // namespace vor
