// vor-fwupdate.exe --cli under Wine against `vor-tool sim`: the pseudo-terminal of the
// simulator is a COM port of the private Wine prefix (dosdevices/comN links to it), so
// the Windows program reaches it through \\.\COMn and its own Win32 serial port. Real
// time; run by `make windows-test`, which sets WINEPREFIX and VOR_WINDOWS_PROGRAM_DIR.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "firmware/UpdateSequence.h"
#include "flow/WizardFlow.h"
#include "profile/ProfileKeeper.h"
#include "tests/e2e/JsonEvents.h"
#include "tests/e2e/SimProcess.h"

namespace vor::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int RunLimitMs = 300000;
constexpr double ByteSeconds = 10.0 / 38400.0;
constexpr double RatioAim = 1.05;
constexpr int WakeAfterSeconds = 1;
const std::vector<std::string> QuickDc = {"--restart-after", "1", "--wake-after", std::to_string(WakeAfterSeconds)};
const std::string Backup = "6865.012345.bin";

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct WineRun {
    int exit = -1;
    std::string out;
    std::string err;
    double attemptSeconds = 0.0;  // from the attempt event to the end of the program
    std::uintmax_t logBytesAtAttempt = 0;
};

// The Windows program's folder copied, and one COM port of the prefix linked to the simulator.
class WineProgram {
public:
    WineProgram(const SimProcess& sim, int comNumber) : comName_("COM" + std::to_string(comNumber)) {
        const fs::path programDir = EnvironmentValue("VOR_WINDOWS_PROGRAM_DIR");
        const fs::path prefix = EnvironmentValue("WINEPREFIX");
        if (programDir.empty() || prefix.empty()) {
            ADD_FAILURE() << "WINEPREFIX and VOR_WINDOWS_PROGRAM_DIR must be set (make windows-test sets them)";
            return;
        }
        for (const char* file : {"vor-fwupdate.exe", "FirmwareUpdate.lng", "VOR.1H.FWR"})
            fs::copy_file(programDir / file, folder() / file);
        link_ = prefix / "dosdevices" / ("com" + std::to_string(comNumber));
        std::error_code ec;
        fs::remove(link_, ec);
        fs::create_symlink(sim.port(), link_);
    }
    ~WineProgram() {
        std::error_code ec;
        if (!link_.empty()) fs::remove(link_, ec);
    }

    bool ready() const { return !link_.empty(); }
    fs::path folder() const { return dir_.path().toStdString(); }
    const std::string& comName() const { return comName_; }

    // `wine vor-fwupdate.exe args`; `input` is what is typed (then the input ends).
    // `trafficLog` is the simulator's --log-hex file: its size when the attempt started.
    WineRun run(const std::vector<std::string>& args, const std::string& input = {},
                const fs::path& trafficLog = {}) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(folder().string()));
        QStringList arguments{QString::fromStdString((folder() / "vor-fwupdate.exe").string())};
        for (const std::string& a : args) arguments << QString::fromStdString(a);
        process.start(QStringLiteral("wine"), arguments);
        process.waitForStarted();
        process.write(input.data(), static_cast<qint64>(input.size()));
        process.closeWriteChannel();

        WineRun run;
        QElapsedTimer sinceAttempt;
        QElapsedTimer limit;
        limit.start();
        while (process.state() != QProcess::NotRunning && limit.elapsed() < RunLimitMs) {
            process.waitForReadyRead(100);
            run.out += process.readAllStandardOutput().toStdString();
            if (!sinceAttempt.isValid() && run.out.find("\"event\":\"attempt\"") != std::string::npos) {
                sinceAttempt.start();
                std::error_code ec;
                if (!trafficLog.empty()) run.logBytesAtAttempt = fs::file_size(trafficLog, ec);
            }
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        run.out += process.readAllStandardOutput().toStdString();
        run.out.erase(std::remove(run.out.begin(), run.out.end(), '\r'), run.out.end());
        run.err = process.readAllStandardError().toStdString();
        run.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        if (sinceAttempt.isValid()) run.attemptSeconds = static_cast<double>(sinceAttempt.nsecsElapsed()) / 1e9;
        return run;
    }

private:
    QTemporaryDir dir_;
    std::string comName_;
    fs::path link_;
};

// Bytes of the simulator's hex traffic log past `offset`, both directions.
std::size_t WireBytesAfter(const fs::path& trafficLog, std::uintmax_t offset) {
    std::ifstream in(trafficLog);
    in.seekg(static_cast<std::streamoff>(offset));
    std::size_t bytes = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        while (words >> word)
            if (word.size() == 2 && std::isxdigit(static_cast<unsigned char>(word[0])) &&
                std::isxdigit(static_cast<unsigned char>(word[1])))
                ++bytes;
    }
    return bytes;
}

std::string OutcomeField(const std::string& out, const std::string& field) {
    const std::vector<JsonEvent> events = ParseJsonEvents(out);
    if (events.empty() || events.back().at("event") != "outcome") return {};
    const auto found = events.back().find(field);
    return found == events.back().end() ? std::string() : found->second;
}

TEST(WineCliRun, WholeUpdateThroughAComPortExitsZeroWithTheProfileBackAndNoBackupLeft) {
    const fs::path trafficLog = fs::temp_directory_path() / ("vor-wine-traffic-" + std::to_string(::getpid()));
    // No processing delay: the DC's own thinking is no part of the program's time.
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--log-hex", "--processing-delay", "0"});
    SimProcess sim(options, trafficLog);
    ASSERT_FALSE(sim.port().empty());
    WineProgram program(sim, 7);
    ASSERT_TRUE(program.ready());
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));

    const WineRun run = program.run({"--cli", "--port", program.comName(), "--yes", "--json"}, {}, trafficLog);
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
    EXPECT_EQ(OutcomeField(run.out, "result"), "updated") << run.out;
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(program.folder() / Backup));

    // The floor: every byte of the attempt on the wire at 38400 bit/s, and the waits the
    // update must keep (the DC's two restarts, the profile header's and read-back's settling, Close).
    const std::size_t bytes = WireBytesAfter(trafficLog, run.logBytesAtAttempt);
    const double wire = static_cast<double>(bytes) * ByteSeconds;
    const double waits = RestartWaitBetweenSections + RestartWaitSection2 + ProfileKeeper::HeaderSettleSeconds +
                         ProfileKeeper::ReadBackSettleSeconds + WizardFlow::CloseWaitSeconds;
    const double floor = wire + waits;
    std::printf(
        "update under Wine: %.1f s from the attempt to the exit; floor %.1f s (%zu bytes on the wire %.1f s "
        "+ waits %.1f s); ratio %.3f (aim <= %.2f)\n",
        run.attemptSeconds, floor, bytes, wire, waits, run.attemptSeconds / floor, RatioAim);
    std::error_code ec;
    fs::remove(trafficLog, ec);
}

TEST(WineCliRun, DcSilentInSection2LeavesTheProfileInItsFileAndASecondRunWritesItBack) {
    // Silent for 20 s from the 50th block of section 2: that run fails, the next one finds the DC back.
    std::vector<std::string> options = QuickDc;
    options.insert(options.end(), {"--silent", "b7-data:50,20"});
    SimProcess sim(options);
    ASSERT_FALSE(sim.port().empty());
    WineProgram program(sim, 8);
    ASSERT_TRUE(program.ready());
    const auto before = ProfileLines(sim.memory(program.folder() / "before.dump"));

    // No terminal and no --yes: Enter twice from a script, and the recovery question is left alone.
    const WineRun failed = program.run({"--cli", "--port", program.comName(), "--json"}, "\n\n");
    EXPECT_EQ(failed.exit, 4) << failed.out << failed.err;
    const std::string named = OutcomeField(failed.out, "backup");
    EXPECT_NE(named.find(Backup), std::string::npos) << failed.out;
    EXPECT_NE(OutcomeField(failed.out, "message").find(Backup), std::string::npos) << failed.out;
    ASSERT_TRUE(fs::exists(program.folder() / Backup));
    EXPECT_NE(ProfileLines(sim.memory(program.folder() / "between.dump")), before);

    const WineRun again = program.run({"--cli", "--port", program.comName(), "--yes", "--json"});
    EXPECT_EQ(again.exit, 0) << again.out << again.err;
    EXPECT_EQ(ProfileLines(sim.memory(program.folder() / "after.dump")), before);
    EXPECT_FALSE(fs::exists(program.folder() / Backup));
}

}  // namespace
}  // namespace vor::e2e
