#include "platform/SleepInhibitorLogind.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

namespace vor {
namespace {

constexpr const char* LoginService = "org.freedesktop.login1";
constexpr const char* LoginPath = "/org/freedesktop/login1";
constexpr const char* LoginManager = "org.freedesktop.login1.Manager";

// Owns a duplicate of logind's descriptor; destroying it closes the duplicate and
// with it the lock (QDBus closed its own copy when the reply was destroyed).
class LogindHold : public SleepInhibitor::Hold {
public:
    explicit LogindHold(QDBusUnixFileDescriptor fd) : fd_(std::move(fd)) {}

private:
    QDBusUnixFileDescriptor fd_;
};

}  // namespace

LogindSleepInhibitor::LogindSleepInhibitor(QDBusConnection bus) : bus_(std::move(bus)) {}

std::unique_ptr<SleepInhibitor::Hold> LogindSleepInhibitor::inhibit(const std::string& why) {
    lastError_.clear();
    if (!bus_.isConnected()) {
        lastError_ = QStringLiteral("no D-Bus connection");
        return nullptr;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(LoginService), QString::fromLatin1(LoginPath),
                                       QString::fromLatin1(LoginManager), QStringLiteral("Inhibit"));
    call << QString::fromLatin1(What) << QString::fromLatin1(Who) << QString::fromStdString(why)
         << QString::fromLatin1(Mode);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, InhibitCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        lastError_ = reply.errorMessage().isEmpty() ? QStringLiteral("unexpected reply") : reply.errorMessage();
        return nullptr;
    }
    const auto fd = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
    if (!fd.isValid()) {
        lastError_ = QStringLiteral("no file descriptor in the reply");
        return nullptr;
    }
    return std::make_unique<LogindHold>(fd);
}

std::unique_ptr<SleepInhibitor> MakeSystemSleepInhibitor() { return std::make_unique<LogindSleepInhibitor>(); }

}  // namespace vor
