#include "tests/wizard/WizardHarness.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

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

void WriteTestLanguageDb(const std::string& dir) {
    MessageTable table;
    table.languages = {"English", "Deutsch"};
    auto row = [&](std::int32_t n, std::string en, std::string de) {
        table.rows.push_back({n, {std::move(en), std::move(de)}});
    };
    row(141, "Close", "Schließen");
    row(280, "Failed", "Fehlgeschlagen");
    row(352, "Instructions", "Anleitung");
    row(593, "The interface cable was not found", "Das Schnittstellenkabel wurde nicht gefunden");
    row(605, "Interface", "Schnittstelle");
    row(664, "Time", "Zeit");
    row(683, "Status", "Zustand");
    row(777, "Done", "Erledigt");
    row(783, "The connected DC is not a ", "Der angeschlossene DC ist kein ");  // a blank ends it, as shipped
    row(799, "Back", "Zurück");
    row(800, "Next", "Weiter");
    row(801, "Event", "Ereignis");
    row(802, "Please check the cable.", "Bitte das Kabel prüfen.");
    row(820, TestTitle, TestTitleDe);
    std::string error;
    ASSERT_TRUE(WriteLanguageDb(table, dir + "/FirmwareUpdate.lng", LoadResString(ResDatabasePassword), error))
        << error;
}

WizardHarness::WizardHarness() {
    EnsureApplication();
    backend.state = &state;
    WriteTestLanguageDb(dir.path().toStdString());
}

WizardHarness::~WizardHarness() {
    if (window) window->hide();
}

void WizardHarness::build(const std::string& setupRecord) {
    FlowEnvironment env;
    env.pump = &pump;
    env.programDir = dir.path().toStdString();
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
    window = std::make_unique<MFUMain>(
        *flow, WindowEnvironment{&boxes, &printer, dir.path().toStdString(), desktop.askSaveLogPath});
}

bool WizardHarness::start(const std::string& setupRecord) {
    if (!window) build(setupRecord);
    const bool goesOn = window->Form_Load();
    if (goesOn) window->show();
    return goesOn;
}

QPushButton* WizardHarness::button(const char* name) const { return control<QPushButton>(name); }

void WizardHarness::click(const char* name) const {
    QPushButton* b = button(name);
    EXPECT_TRUE(b->isVisible() && b->isEnabled()) << name << " cannot be clicked";
    QTest::mouseClick(b, Qt::LeftButton);
}

void WizardHarness::reachDeepSleepPage() {
    backend.firmwareVersion = "1E";
    click("NextCmd");
}

}  // namespace vor::test
