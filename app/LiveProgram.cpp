#include "app/LiveProgram.h"

#include <filesystem>

#include "app/Cable.h"
#include "cli/TerminalStream.h"
#include "platform/PortDiagnosis.h"
#include "platform/ProcessPriority.h"
#include "platform/SleepInhibitor.h"
#include "profile/BackupFolder.h"
#include "session/PrintableText.h"
#include "session/Utf8Path.h"

namespace vor {

namespace {

FlowEnvironment LiveEnvironment(const SystemParts& system, const RunChoices& choices,
                                const std::filesystem::path& backupFolder) {
    FlowEnvironment env;
    env.pump = &system.pump;
    env.programDir = system.programDir;
    env.languageColumn = choices.languageColumn;
    env.imageFile = choices.image;
    env.task = choices.task;
    env.setPriority = [](int priorityClass) { return SetProcessPriority(0, 0, priorityClass); };
    env.startProgram = system.startProgram;
    env.endProgram = system.endProgram;
    env.printDiagnostic = [](const std::string& line) { WriteStderr("vor-fwupdate: " + PrintableText(line) + "\n"); };
    env.diagnosePort = LivePortDiagnosis();
    env.sleepInhibitor = MakeSystemSleepInhibitor();
    // Attempt records lie beside the backups, where support asks for both.
    env.recordFolder = [backupFolder] { return backupFolder; };
    return env;
}

}  // namespace

LiveProgram::LiveProgram(const SystemParts& system, const RunChoices& choices)
    : backupFolders_(ChooseBackupFolders(PathOfUtf8(system.programDir))),
      flow_(state_, LiveEnvironment(system, choices, backupFolders_.primary)) {
    backend_ = MakeCableBackend(choices.port, state_, flow_, system.pump, backupFolders_);
    flow_.setBackend(backend_.get());
}

}  // namespace vor
