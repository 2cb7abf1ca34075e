#include "tests/flow/FlowHarness.h"

#include <gtest/gtest.h>

#include <fstream>

#include "session/Messages.h"
#include "tests/support/TempFolder.h"
#include "texts/LanguageDbWriter.h"

namespace vor::test {

PortOpenOutcome ScriptedBackend::OpenInterfacePort() {
    log.push_back("OpenInterfacePort");
    if (portOutcomes.empty()) return {PortOpenResult::Opened, "/dev/ttyUSB0", {}};
    PortOpenOutcome o = portOutcomes.front();
    portOutcomes.pop_front();
    return o;
}

bool ScriptedBackend::EnterDeepSleep() {
    log.push_back("EnterDeepSleep");
    if (state) deepSleepModeSeen = state->DeepSleepMode;
    return deepSleepResult;
}

bool ScriptedBackend::Next(std::deque<bool>& q, bool otherwise) {
    if (q.empty()) return otherwise;
    const bool v = q.front();
    q.pop_front();
    return v;
}

void WriteTestLanguageDb(const std::filesystem::path& dir) {
    MessageTable table;
    table.languages = {"English", "Deutsch"};
    auto row = [&](std::int32_t n, std::string en, std::string de) {
        table.rows.push_back({n, {std::move(en), std::move(de)}});
    };
    row(Msg::CloseCaption, "Close", "Schließen");
    row(Msg::Failed, "Failed", "Fehlgeschlagen");
    row(Msg::FrameCaption, "Instructions", "Anleitung");
    row(Msg::CableNotFound, "The interface cable was not found", "Das Schnittstellenkabel wurde nicht gefunden");
    row(Msg::PortBoxCaption, "Interface", "Schnittstelle");
    row(Msg::TimeColumn, "Time", "Zeit");
    row(Msg::StatusColumn, "Status", "Zustand");
    row(Msg::Done, "Done", "Erledigt");
    // A blank ends it, as shipped.
    row(Msg::NotForThisDc, "The connected DC is not a ", "Der angeschlossene DC ist kein ");
    row(Msg::BackCaption, "Back", "Zurück");
    row(Msg::NextCaption, "Next", "Weiter");
    row(Msg::EventColumn, "Event", "Ereignis");
    row(Msg::CheckCable, "Please check the cable.", "Bitte das Kabel prüfen.");
    row(Msg::Title, TestTitle, TestTitleDe);
    std::string error;
    ASSERT_TRUE(
        WriteLanguageDb(table, (dir / "FirmwareUpdate.lng").string(), LoadResString(ResDatabasePassword), error))
        << error;
}

FlowHarness::FlowHarness() : dir(MakeTempFolder("vor-flow")) {
    backend.state = &state;
    WriteTestLanguageDb(dir);
}

FlowHarness::~FlowHarness() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void FlowHarness::build(const std::string& setupRecord) {
    FlowEnvironment env;
    env.pump = &pump;
    env.programDir = dir.string();
    env.setupRecord = setupRecord;
    env.setPriority = [this](int priorityClass) {
        priorityCalls.push_back(priorityClass);
        return priorityClass;
    };
    env.startProgram = [this](const std::string& path) { startedPrograms.push_back(path); };
    env.printDiagnostic = [this](const std::string& line) { diagnostics.push_back(line); };
    env.endProgram = [this] {
        ++endCalls;
        pump.endProgram();
    };
    env.diagnosePort = desktop.diagnosePort;
    env.sleepInhibitor = desktop.sleepInhibitor;
    env.recordFolder = desktop.recordFolder;
    flow = std::make_unique<WizardFlow>(state, std::move(env));
    flow->setBackend(&backend);
    flow->attach(frontEnd);
}

bool FlowHarness::start(const std::string& setupRecord) {
    if (!flow) build(setupRecord);
    return flow->Start();
}

void FlowHarness::next() {
    EXPECT_TRUE(frontEnd.nextEnabled) << "Next cannot be pressed";
    flow->Next();
}

void FlowHarness::back() {
    EXPECT_TRUE(frontEnd.backEnabled) << "Back cannot be pressed";
    flow->Back();
}

void FlowHarness::close() { flow->Close(); }

void FlowHarness::reachDeepSleepPage() {
    backend.firmwareVersion = "1E";
    next();
}

void FlowHarness::leavePendingBackup() {
    backend.profileReport.backupFile = dir / "VOR.12345.bin";
    std::ofstream(backend.profileReport.backupFile) << "profile";
    state.ProfileIntact = false;
}

std::vector<std::string> FlowHarness::callsAfterStartUp() const {
    return {backend.log.begin() + std::min<std::ptrdiff_t>(2, std::ssize(backend.log)), backend.log.end()};
}

}  // namespace vor::test
