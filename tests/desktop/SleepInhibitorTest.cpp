// logind's sleep inhibitor against a fake login manager on a private bus: the call's
// arguments, the lock held by the descriptor until the hold ends, and a refusal.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <unistd.h>

#include "platform/SleepInhibitorLogind.h"
#include "tests/wizard/WizardHarness.h"

namespace vor::test {

// Answers Inhibit with the write end of a pipe; the read end shows when every copy is closed.
class FakeLoginManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~FakeLoginManager() override {
        if (readEnd >= 0) ::close(readEnd);
    }
    QStringList call() {
        std::lock_guard lock(mutex);
        return args;
    }
    int readEnd = -1;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode) {
        int fds[2];
        if (::pipe(fds) != 0) return {};
        {
            std::lock_guard lock(mutex);
            args = {what, who, why, mode};
            readEnd = fds[0];
        }
        QDBusUnixFileDescriptor out(fds[1]);  // keeps a duplicate
        ::close(fds[1]);
        return out;
    }

private:
    std::mutex mutex;
    QStringList args;
};

namespace {

// The window tests of the same program need a QApplication, so every test makes that one.
void EnsureCoreApplication() { EnsureApplication(); }

// A private dbus-daemon for one test, the fake login manager served from its own thread.
class PrivateBus : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCoreApplication();
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
        const QString address = QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("bus"));
        bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                           QStringLiteral("--address=") + address});
        ASSERT_TRUE(bus.waitForStarted(DaemonStartMs));
        ASSERT_TRUE(bus.waitForReadyRead(DaemonStartMs)) << "dbus-daemon printed no address";
        client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("client")));
        service = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("service")));
        ASSERT_TRUE(client->isConnected() && service->isConnected());
    }
    void TearDown() override {
        if (manager) {
            service->unregisterObject(QStringLiteral("/org/freedesktop/login1"));
            worker.quit();
            worker.wait();
            manager.reset();
        }
        client.reset();
        service.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        if (bus.state() != QProcess::NotRunning) {
            bus.kill();
            bus.waitForFinished();
        }
    }
    void serveLoginManager() {
        manager = std::make_unique<FakeLoginManager>();
        worker.start();
        manager->moveToThread(&worker);
        ASSERT_TRUE(service->registerService(QStringLiteral("org.freedesktop.login1")));
        ASSERT_TRUE(service->registerObject(QStringLiteral("/org/freedesktop/login1"), manager.get(),
                                            QDBusConnection::ExportAllSlots));
    }
    static bool HungUp(int fd, int timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return false;
        char c;
        return ::read(fd, &c, 1) == 0;
    }

    static constexpr int DaemonStartMs = 10000;
    static constexpr int ReleaseSeenMs = 10000;  // an upper bound for the bus to drop its copies, not a speed goal
    QTemporaryDir dir;
    QProcess bus;
    QThread worker;
    std::unique_ptr<FakeLoginManager> manager;
    std::unique_ptr<QDBusConnection> client;
    std::unique_ptr<QDBusConnection> service;
};

TEST_F(PrivateBus, InhibitAsksForSleepAndIdleAndHoldsTheLockUntilTheHoldEnds) {
    serveLoginManager();
    LogindSleepInhibitor inhibitor(*client);
    auto hold = inhibitor.inhibit(SleepWhyUpdate);
    ASSERT_NE(hold, nullptr) << inhibitor.lastError().toStdString();
    EXPECT_EQ(manager->call(), (QStringList{"sleep:idle", "vor-fwupdate", "Updating the dive computer", "block"}));
    EXPECT_FALSE(HungUp(manager->readEnd, 0));  // still held
    hold.reset();
    EXPECT_TRUE(HungUp(manager->readEnd, ReleaseSeenMs));
}

TEST_F(PrivateBus, NoLoginManagerMeansNoHoldAndAReason) {
    LogindSleepInhibitor inhibitor(*client);
    EXPECT_EQ(inhibitor.inhibit(SleepWhyRecovery), nullptr);
    EXPECT_FALSE(inhibitor.lastError().isEmpty());
}

TEST(LogindSleepInhibitor, DisconnectedBusIsRefusedAtOnce) {
    EnsureCoreApplication();
    LogindSleepInhibitor inhibitor(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere")));
    EXPECT_EQ(inhibitor.inhibit(SleepWhyUpdate), nullptr);
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

}  // namespace
}  // namespace vor::test

#include "SleepInhibitorTest.moc"
