// One whole update through the real Qt serial adapter and the real event loop, against
// the `vor-tool sim` process on a pseudo-terminal. Real time: the program waits 10 s and
// 45 s for the DC's restarts, so the run takes about a minute and a half.

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/InterfacePort.h"
#include "platform/Printer.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "resources/StringResources.h"
#include "session/Messages.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/SimProcess.h"
#include "flow/AppBackend.h"
#include "wizard/MFUMain.h"

namespace vor::e2e {
namespace {

constexpr int WakeWaitMs = 2000;  // the simulator wakes itself after 1 s

class NoPrinter : public TextPrinter {
public:
    QString print(QWidget*, const QStringList&, const QString&) override { return {}; }
};

TEST(QtSerialIntegration, WholeUpdateThroughAPseudoTerminalEndsWith786AndTheProfileKept) {
    EnsureApplication();
    SimProcess sim({"--restart-after", "1", "--wake-after", "1"});
    ASSERT_FALSE(sim.port().empty()) << "vor-tool sim did not name its port";

    QTemporaryDir programDir;
    QTemporaryDir backupDir;
    const std::filesystem::path program = programDir.path().toStdString();
    for (const char* file : {"FirmwareUpdate.lng", "VOR.1H.FWR"})
        std::filesystem::copy_file(std::filesystem::path(VOR_PROGRAM_DIR) / file, program / file);
    const std::vector<std::uint8_t> before = ProfileLines(sim.memory(program / "before.bin"));
    ASSERT_FALSE(before.empty());

    QtEventPump pump;
    ScriptedBoxes boxes;
    boxes.declineWhenOutOfAnswers = true;
    NoPrinter printer;
    WizardState state;
    FlowEnvironment env;
    env.pump = &pump;
    env.programDir = program.string();
    env.setupRecord = MakeSetupRecord("VOR.1H.FWR", "", "5000");
    env.setPriority = [](int priorityClass) { return priorityClass; };
    env.startProgram = [](const std::string&) {};
    env.endProgram = [&pump] { pump.endProgram(); };
    WizardFlow flow(state, std::move(env));
    MFUMain window(flow, WindowEnvironment{&boxes, &printer, program.string(), {}});
    QtSerialPort port;
    const std::string portName = sim.port();
    AppBackend backend(
        state, flow, pump, port, [&] { return OpenInterfacePort(port, portName); }, backupDir.path().toStdString());
    flow.setBackend(&backend);
    ASSERT_TRUE(window.Form_Load());
    window.show();

    auto* next = window.findChild<QPushButton*>(QStringLiteral("NextCmd"));
    QTest::mouseClick(next, Qt::LeftButton);
    ASSERT_TRUE(window.findChild<QLabel*>(QStringLiteral("Image2"))->isVisibleTo(&window))
        << LogText(TaskLogOf(window));
    QTest::qWait(WakeWaitMs);
    QTest::mouseClick(next, Qt::LeftButton);

    const std::vector<LogRow> log = TaskLogOf(window);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), (LogRow{1, M(Msg::UpdateSucceeded), ""})) << LogText(log);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(state.ProfileIntact);
    EXPECT_NE(sim.command("status").find("FW1H"), std::string::npos);
    EXPECT_EQ(ProfileLines(sim.memory(program / "after.bin")), before);

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("CloseCmd")), Qt::LeftButton);
    EXPECT_TRUE(flow.ended());
    // No backup left, and the DC's lock let go with the program's end.
    EXPECT_TRUE(std::filesystem::is_empty(backupDir.path().toStdString()));
}

}  // namespace
}  // namespace vor::e2e
