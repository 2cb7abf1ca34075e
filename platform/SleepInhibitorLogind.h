#pragma once
// logind's sleep inhibitor: org.freedesktop.login1.Manager.Inhibit("sleep:idle",
// "vor-fwupdate", why, "block") hands back a file descriptor; the lock lasts until
// every copy of it is closed.
//
// Hazard: the call blocks the window's thread for at most InhibitCallTimeoutMs and
// does not serve the event loop meanwhile (no re-entry into the wizard).

#include <QDBusConnection>
#include <QString>

#include "platform/SleepInhibitor.h"

namespace vor {

class LogindSleepInhibitor : public SleepInhibitor {
public:
    static constexpr int InhibitCallTimeoutMs = 3000;  // a hung logind must not hang the wizard
    static constexpr const char* What = "sleep:idle";
    static constexpr const char* Who = "vor-fwupdate";
    static constexpr const char* Mode = "block";

    // The system bus on a live system; tests pass a private bus.
    explicit LogindSleepInhibitor(QDBusConnection bus = QDBusConnection::systemBus());

    std::unique_ptr<Hold> inhibit(const std::string& why) override;

    // Why the last inhibit failed; empty after success.
    const QString& lastError() const { return lastError_; }

private:
    QDBusConnection bus_;
    QString lastError_;
};

}  // namespace vor
