// The real serial adapter on a Linux pseudo-terminal: the test plays the DC on
// the master side while the link runs on the Qt event loop.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

#include "link/CommModule.h"
#include "platform/InterfacePort.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "link_pty_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// The DC's end of the line: answers each write the script recognises.
class PtyDc {
public:
    PtyDc() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        slavePath_ = ::ptsname(master_);
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { onReadable(); });
    }
    ~PtyDc() { hangUp(); }

    const std::string& slavePath() const { return slavePath_; }
    void onWrite(std::function<Bytes(const Bytes&)> script) { script_ = std::move(script); }
    const Bytes& received() const { return received_; }
    void hangUp() {
        notifier_.reset();
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    void onReadable() {
        std::uint8_t buffer[512];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) return;
        const Bytes chunk(buffer, buffer + n);
        received_.insert(received_.end(), chunk.begin(), chunk.end());
        if (script_) {
            const Bytes reply = script_(chunk);
            if (!reply.empty()) [[maybe_unused]]
                auto w = ::write(master_, reply.data(), reply.size());
        }
    }

    int master_ = -1;
    std::string slavePath_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<Bytes(const Bytes&)> script_;
    Bytes received_;
};

class QtSerialPortPty : public ::testing::Test {
protected:
    QCoreApplication& app = App();  // before the notifier of the DC's end
    PtyDc dc;
    QtEventPump pump;
    QtSerialPort port;
    WizardState state;
};

TEST_F(QtSerialPortPty, ReadIdentityGetsItsEighteenByteReplyThroughTheRealAdapter) {
    ASSERT_FALSE(dc.slavePath().empty());
    const PortOpenOutcome opened = OpenInterfacePort(port, dc.slavePath());
    ASSERT_EQ(opened.result, PortOpenResult::Opened) << opened.detail;
    CommModule link(port, pump, state);
    link.SizeReplyBuffers(512);
    dc.onWrite([](const Bytes& chunk) {
        return chunk == Bytes{0x84, 0x00} ? IdentityReply("VOR FW1E 0012345") : Bytes{};
    });
    ASSERT_TRUE(link.ReadIdentity());
    EXPECT_EQ(link.IdentityString(), "VOR FW1E 0012345");
    EXPECT_EQ(dc.received(), (Bytes{0x84, 0x00}));
}

TEST_F(QtSerialPortPty, HangUpMakesTheWaitingCommandEndWithLinkError) {
    ASSERT_EQ(port.open(dc.slavePath()).result, PortOpenResult::Opened);
    CommModule link(port, pump, state);
    QTimer::singleShot(200, [&] { dc.hangUp(); });
    EXPECT_FALSE(link.ReadIdentity());  // silent DC: would resend for 22 s
    EXPECT_EQ(dc.received(), (Bytes{0x84, 0x00}));
    EXPECT_FALSE(link.RenewLink());  // the failure reached the link; the DC's end is gone

    // Later commands end by their own limits; writes to the dead port go nowhere.
    EXPECT_FALSE(link.ReadMemoryBlock(0));
    EXPECT_TRUE(state.CommError);
}

TEST_F(QtSerialPortPty, CablePluggedInAgainIsReopenedByTheNextCommand) {
    // The port is reached through a fixed name, as a USB port is after replugging.
    char pattern[] = "/tmp/vor-replug-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    const std::string name = folder + "/ttyDC";
    ASSERT_EQ(::symlink(dc.slavePath().c_str(), name.c_str()), 0);
    ASSERT_EQ(port.open(name).result, PortOpenResult::Opened);
    CommModule link(port, pump, state);
    link.SizeReplyBuffers(512);
    QTimer::singleShot(100, [&] { dc.hangUp(); });
    EXPECT_FALSE(link.ReadIdentity());

    PtyDc replugged;
    replugged.onWrite([](const Bytes& chunk) {
        return chunk == Bytes{0x84, 0x00} ? IdentityReply("VOR FW1H 0012345") : Bytes{};
    });
    ::unlink(name.c_str());
    ASSERT_EQ(::symlink(replugged.slavePath().c_str(), name.c_str()), 0);
    // A memory read clears the abort (and ends on the port's error); its write reopens the port.
    EXPECT_FALSE(link.ReadMemoryBlock(0));
    EXPECT_TRUE(link.ReadIdentity());
    EXPECT_EQ(link.IdentityString(), "VOR FW1H 0012345");
    EXPECT_TRUE(port.isOpen());
    ::unlink(name.c_str());
    ::rmdir(folder.c_str());
}

TEST_F(QtSerialPortPty, MissingPortIsReportedAsNotFound) {
    const PortOpenOutcome outcome = port.open("/dev/no-such-tty-for-the-dc");
    EXPECT_EQ(outcome.result, PortOpenResult::NotFound);
    EXPECT_FALSE(outcome.detail.empty());
}

}  // namespace
}  // namespace vor::test
