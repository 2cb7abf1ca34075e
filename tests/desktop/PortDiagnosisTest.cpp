// Each reason why the cable's port cannot be used, on a fake sysfs, /dev and /proc tree,
// and the interface box's text that names it.

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>

#include "platform/PortDiagnosis.h"
#include "platform/PortDiagnosisText.h"

namespace vor::test {
namespace {

namespace fs = std::filesystem;

class FakeSystem {
public:
    FakeSystem() : root(dir.path().toStdString()) {}

    void write(const std::string& relative, const std::string& text) {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << text;
    }
    void usbDevice(const std::string& name, const std::string& vendor, const std::string& product) {
        write("sys/bus/usb/devices/" + name + "/idVendor", vendor + "\n");
        write("sys/bus/usb/devices/" + name + "/idProduct", product + "\n");
    }
    void tty(const std::string& device, const std::string& tty) {
        fs::create_directories(root / "sys/bus/usb/devices" / device / (device + ":1.0") / tty);
        fs::create_directories(root / "sys/class/tty" / tty / "device");
        write("dev/" + tty, "");
    }
    void process(int pid, const std::string& comm, const std::string& openFile) {
        write("proc/" + std::to_string(pid) + "/comm", comm + "\n");
        fs::create_directories(root / "proc" / std::to_string(pid) / "fd");
        fs::create_symlink("/dev/null", root / "proc" / std::to_string(pid) / "fd" / "0");
        fs::create_symlink(openFile, root / "proc" / std::to_string(pid) / "fd" / "7");
    }
    PortDiagnosis diagnose(const std::string& portName = {}, const std::string& openError = {}) {
        PortDiagnosisSystem system;
        system.root = root;
        system.ownPid = 1;
        system.mayReadWrite = [this](const fs::path& node) { return !denied.count(node.filename().string()); };
        return DiagnosePort(system, portName, openError);
    }
    PortDiagnosis diagnoseOpen(const PortOpenOutcome& outcome) {
        PortDiagnosisSystem system;
        system.root = root;
        system.ownPid = 1;
        system.mayReadWrite = [](const fs::path&) { return true; };
        return DiagnoseOpenFailure(system, outcome);
    }

    QTemporaryDir dir;
    fs::path root;
    std::set<std::string> denied;  // device nodes this user may not open
};

TEST(PortDiagnosis, NoCableWhenOnlyOtherUsbDevicesAreThere) {
    FakeSystem s;
    s.usbDevice("1-1", "0403", "6001");  // a plain FTDI bridge is not the cable
    s.tty("1-1", "ttyUSB0");
    s.usbDevice("usb1", "1d6b", "0002");
    EXPECT_EQ(s.diagnose().problem, PortProblem::NoCable);
    EXPECT_EQ(FakeSystem().diagnose().problem, PortProblem::NoCable);  // no sysfs at all
}

TEST(PortDiagnosis, CableWithoutTtyHasNoSerialDriver) {
    FakeSystem s;
    s.usbDevice("1-2", "0403", "F460");  // upper-case hex is the same device
    fs::create_directories(s.root / "sys/bus/usb/devices/1-2/1-2:1.0");
    const PortDiagnosis d = s.diagnose();
    EXPECT_EQ(d.problem, PortProblem::NoSerialDriver);
    EXPECT_TRUE(d.portPath.empty());
}

TEST(PortDiagnosis, FoundPortThatThisUserMayNotOpenIsAPermissionProblem) {
    FakeSystem s;
    s.usbDevice("1-2", "0403", "f460");
    s.tty("1-2", "ttyUSB3");
    s.denied = {"ttyUSB3"};
    const PortDiagnosis d = s.diagnose();
    EXPECT_EQ(d.problem, PortProblem::PermissionDenied);
    EXPECT_EQ(d.portPath, "/dev/ttyUSB3");
}

TEST(PortDiagnosis, PortOpenInAnotherProcessNamesEveryHolderOnceAndSkipsItself) {
    FakeSystem s;
    s.usbDevice("1-2", "0403", "f460");
    s.tty("1-2", "ttyUSB0");
    s.process(1, "vor-fwupdate", "/dev/ttyUSB0");  // our own pid
    s.process(812, "ModemManager", "/dev/ttyUSB0");
    s.process(813, "ModemManager", "/dev/ttyUSB0");
    s.process(900, "brltty", "/dev/ttyUSB0");
    s.process(901, "bash", "/dev/ttyUSB1");
    s.write("proc/self/comm", "vor-fwupdate\n");
    const PortDiagnosis d = s.diagnose("/dev/ttyUSB0", "Permission denied");
    EXPECT_EQ(d.problem, PortProblem::HeldByOther);
    EXPECT_EQ(d.holders, (std::vector<std::string>{"ModemManager", "brltty"}));
    EXPECT_EQ(d.openError, "Permission denied");
}

// Another run holds the device's own lock, perhaps through another of its names: the
// lock's process is named with its number, and no other finding is added.
TEST(PortDiagnosis, PortLockedOnItsNodeNamesTheRunHoldingItWithItsProcessNumber) {
    FakeSystem s;
    s.usbDevice("1-2", "0403", "f460");
    s.tty("1-2", "ttyUSB0");
    s.process(4711, "vor-fwupdate", "/dev/serial/by-id/usb-VOR-if00");
    s.process(812, "ModemManager", "/dev/ttyUSB0");
    struct stat node {};
    ASSERT_EQ(::stat((s.root / "dev/ttyUSB0").c_str(), &node), 0);
    char device[64];
    std::snprintf(device, sizeof device, "%02x:%02x:%lu", major(node.st_dev), minor(node.st_dev),
                  static_cast<unsigned long>(node.st_ino));
    s.write("proc/locks", std::string("1: FLOCK  ADVISORY  WRITE 1 ") + device + " 0 EOF\n" +
                              "2: FLOCK  ADVISORY  WRITE 4711 " + device + " 0 EOF\n" +
                              "2: -> FLOCK  ADVISORY  WRITE 4712 " + device + " 0 EOF\n");
    const PortDiagnosis d = s.diagnose("/dev/ttyUSB0", "the port is held by another process");
    EXPECT_EQ(d.problem, PortProblem::HeldByOther);
    EXPECT_EQ(d.holders, std::vector<std::string>{"vor-fwupdate (process 4711)"});
}

TEST(PortDiagnosis, UsablePortWithoutVisibleHolderIsUnexplained) {
    FakeSystem s;
    s.usbDevice("1-2", "0403", "f460");
    s.tty("1-2", "ttyUSB0");
    const PortDiagnosis d = s.diagnose("ttyUSB0", "Device or resource busy");
    EXPECT_EQ(d.problem, PortProblem::Unexplained);
    EXPECT_EQ(d.portPath, "/dev/ttyUSB0");
}

TEST(PortDiagnosis, ProcessesHoldingAPathThatIsNoSerialPortAreNotNamed) {
    FakeSystem s;
    s.write("dev/null", "");
    s.process(812, "make", "/dev/null");
    EXPECT_TRUE(s.diagnose("/dev/null").holders.empty());
}

TEST(PortDiagnosis, LockFileOfARunningProcessHoldsThePortOtherwiseItIsStale) {
    // Lock files in the Qt and binary forms naming a gone process, and in the UUCP form a running one.
    for (const auto& [content, holder] : std::vector<std::pair<std::string, std::string>>{
             {"4242\nvor-fwupdate\nhost\n", ""}, {std::string("\x92\x10\0\0", 4), ""}, {"       812\n", "minicom"}}) {
        FakeSystem s;
        s.usbDevice("1-2", "0403", "f460");
        s.tty("1-2", "ttyUSB0");
        s.process(812, "minicom", "/dev/pts/1");
        s.write("run/lock/LCK..ttyUSB0", content);
        const PortDiagnosis d = s.diagnose("/dev/ttyUSB0", "Permission error while locking the device");
        EXPECT_EQ(d.problem, holder.empty() ? PortProblem::StaleLock : PortProblem::HeldByOther);
        EXPECT_EQ(d.holders, holder.empty() ? std::vector<std::string>{} : std::vector<std::string>{holder});
        EXPECT_EQ(d.lockFile, holder.empty() ? "/run/lock/LCK..ttyUSB0" : "");
    }
}

TEST(PortDiagnosis, NamedPortThatVanishedFallsBackToTheCableSearch) {
    FakeSystem s;
    EXPECT_EQ(s.diagnose("/dev/ttyUSB5").problem, PortProblem::NoCable);
    s.usbDevice("1-2", "0403", "f460");
    s.tty("1-2", "ttyUSB1");
    EXPECT_EQ(s.diagnose("/dev/ttyUSB5").portPath, "/dev/ttyUSB1");
}

// A port the user named (--port) that cannot be a serial port: the finding is that name
// and the system's reason, never a search for the cable nor a busy port.
struct NamedPort {
    const char* name;
    std::function<std::string(FakeSystem&)> make;  // makes the name's target; returns the name
    PortOpenResult result;                         // how the open failed
    std::string openError;                         // and what it said
    std::string reason;                            // what the box must give as the reason
};

class NamedPortThatIsNoPort : public ::testing::TestWithParam<NamedPort> {};

TEST_P(NamedPortThatIsNoPort, IsNamedWithTheSystemsReason) {
    FakeSystem s;
    s.usbDevice("1-2", "0403", "f460");  // a cable is there, but it is not what the user asked for
    s.tty("1-2", "ttyUSB0");
    const std::string name = GetParam().make(s);
    const PortDiagnosis d = s.diagnoseOpen({GetParam().result, name, GetParam().openError, true});
    EXPECT_EQ(d.problem, PortProblem::NotAPort);
    EXPECT_EQ(d.portPath, name);
    EXPECT_EQ(d.openError, GetParam().reason);
    const std::string text = PortDiagnosisText(d, [](std::int32_t) { return std::string(); });
    EXPECT_NE(text.find(name), std::string::npos) << text;
    EXPECT_NE(text.find("(" + GetParam().reason + ")"), std::string::npos) << text;
    EXPECT_NE(text.find(PortMessageFallback(Msg::PortNameHelp)), std::string::npos) << text;
    EXPECT_EQ(text.find("Another program"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    PortDiagnosis, NamedPortThatIsNoPort,
    ::testing::Values(NamedPort{"Missing", [](FakeSystem&) { return std::string("/dev/ttyUSB7"); },
                                PortOpenResult::NotFound, "No such file or directory", "No such file or directory"},
                      NamedPort{"LinkLoop",
                                [](FakeSystem& s) {
                                    fs::create_symlink("loop", s.root / "dev/loop");
                                    return std::string("/dev/loop");
                                },
                                PortOpenResult::Failed, "", "Too many levels of symbolic links"},
                      NamedPort{"NameTooLong", [](FakeSystem&) { return "/dev/" + std::string(5000, 'x'); },
                                PortOpenResult::Failed, "", "File name too long"},
                      NamedPort{"PlainFile",
                                [](FakeSystem& s) {
                                    s.write("tmp/notes.txt", "text");
                                    return std::string("/tmp/notes.txt");
                                },
                                PortOpenResult::Failed, "Inappropriate ioctl for device",
                                "Inappropriate ioctl for device"},
                      // A device, but no serial line, and nobody holds it.
                      NamedPort{"DeviceThatIsNoSerialLine",
                                [](FakeSystem& s) {
                                    fs::create_symlink("/dev/null", s.root / "dev/null");
                                    return std::string("/dev/null");
                                },
                                PortOpenResult::Failed, "Inappropriate ioctl for device",
                                "Inappropriate ioctl for device"},
                      NamedPort{"Fifo",
                                [](FakeSystem& s) {
                                    fs::create_directories(s.root / "tmp");
                                    ::mkfifo((s.root / "tmp/fifo").c_str(), 0600);
                                    return std::string("/tmp/fifo");
                                },
                                PortOpenResult::Failed, "", "a FIFO, not a device"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PortDiagnosis, NamedPortThatRefusedTheOpenKeepsTheBusyHelp) {
    FakeSystem s;
    fs::create_directories(s.root / "dev");
    fs::create_symlink("/dev/null", s.root / "dev/ttyUSB0");
    const PortDiagnosis d =
        s.diagnoseOpen({PortOpenResult::PermissionDenied, "/dev/ttyUSB0", "Device or resource busy", true});
    EXPECT_EQ(d.problem, PortProblem::Unexplained);
    EXPECT_NE(PortDiagnosisText(d, [](std::int32_t) { return std::string(); }).find("Another program"),
              std::string::npos);
}

TEST(PortDiagnosis, BusyPortKeepsItsOwnHelpAndAHostileNameIsShownEscaped) {
    const std::string text = PortDiagnosisText(
        {PortProblem::HeldByOther, "/dev/ttyUSB0\nFAKE: The DC has its new firmware\x1b[2J", {"evil\r"}, {}, {}},
        [](std::int32_t) { return std::string(); });
    EXPECT_NE(text.find("/dev/ttyUSB0\\nFAKE: The DC has its new firmware\\x1B[2J"), std::string::npos) << text;
    EXPECT_NE(text.find("evil\\r"), std::string::npos) << text;
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.find("\nFAKE"), std::string::npos);
}

// The box texts: database first, English where the database has nothing.
class DiagnosisText : public ::testing::Test {
protected:
    std::string text(const PortDiagnosis& d) {
        return PortDiagnosisText(d, [this](std::int32_t n) { return db.count(n) ? db[n] : std::string(); });
    }
    std::map<std::int32_t, std::string> db{{Msg::CableNotFound, "Kabel nicht gefunden"},
                                           {Msg::CheckCable, "Bitte prüfen."}};
};

TEST_F(DiagnosisText, MissingCableKeepsTheWizardsOwnText) {
    EXPECT_EQ(text({PortProblem::NoCable, {}, {}, {}, {}}), "Kabel nicht gefunden.\r\nBitte prüfen.");
}

TEST_F(DiagnosisText, HolderAndPortAreFilledInTheUsersLanguage) {
    db[Msg::PortHeld] = "%1 belegt von: %2.";
    db[Msg::PortHeldHelp] = "Programm beenden.";
    db[Msg::RetryOrQuit] = "OK oder Abbrechen.";
    EXPECT_EQ(text({PortProblem::HeldByOther, "/dev/ttyUSB0", {"ModemManager", "brltty"}, {}, {}}),
              "/dev/ttyUSB0 belegt von: ModemManager, brltty.\r\n\r\nProgramm beenden.\r\n\r\nOK oder Abbrechen.");
}

TEST_F(DiagnosisText, MissingTextsFallBackToEnglishAndTheOpenErrorIsQuoted) {
    EXPECT_EQ(text({PortProblem::Unexplained, "/dev/ttyUSB0", {}, "Device or resource busy", {}}),
              "The interface cable's serial port /dev/ttyUSB0 could not be opened. (Device or resource busy)\r\n\r\n" +
                  PortMessageFallback(Msg::PortOpenFailedHelp) + "\r\n\r\nClick OK to try again or Cancel to quit.");
    const std::string denied = text({PortProblem::PermissionDenied, "/dev/ttyUSB0", {}, {}, {}});
    EXPECT_NE(denied.find("\"dialout\""), std::string::npos);
    EXPECT_NE(denied.find("udev rule"), std::string::npos);
    EXPECT_NE(text({PortProblem::NoSerialDriver, {}, {}, {}, {}}).find("brltty"), std::string::npos);
    EXPECT_NE(text({PortProblem::StaleLock, "/dev/ttyUSB0", {}, {}, "/run/lock/LCK..ttyUSB0"})
                  .find("sudo rm /run/lock/LCK..ttyUSB0"),
              std::string::npos);
}

}  // namespace
}  // namespace vor::test

#include "resources/StringResources.h"
#include "texts/LanguageDb.h"
#include "session/Messages.h"

namespace vor::test {
namespace {

TEST(DiagnosisTextShipped, EnglishFallbacksAreTheShippedEnglishAndEveryLanguageHasTheTexts) {
    for (int column = 1; column <= 3; ++column) {
        LanguageDb db;
        ASSERT_TRUE(
            db.OpenLanguageDb(VOR_PROGRAM_DIR "/FirmwareUpdate.lng", LoadResString(ResDatabasePassword), column));
        for (std::int32_t n :
             {Msg::NoSerialDriver, Msg::NoSerialDriverHelp, Msg::NoPermission, Msg::NoPermissionHelp, Msg::PortHeld,
              Msg::PortHeldHelp, Msg::PortOpenFailed, Msg::PortOpenFailedHelp, Msg::RetryOrQuit, Msg::SaveLogAction,
              Msg::SaveLogFailed, Msg::SaveLogCaption, Msg::StaleLock, Msg::StaleLockHelp, Msg::PortNameHelp}) {
            const std::string text = db.GetText(n);
            EXPECT_FALSE(text.empty()) << n << " column " << column;
            // The Save log texts have no English fallback of the port box's.
            const bool saveLog = n == Msg::SaveLogAction || n == Msg::SaveLogFailed || n == Msg::SaveLogCaption;
            if (column == 1 && !saveLog) {
                EXPECT_EQ(text, PortMessageFallback(n)) << n;
            }
        }
    }
}

}  // namespace
}  // namespace vor::test
