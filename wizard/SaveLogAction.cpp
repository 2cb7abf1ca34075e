// The wizard's desktop hooks: attempt records, sleep blocking and "Save log...".

#include <QAction>

#include "platform/PortDiagnosis.h"
#include "profile/BackupFolder.h"
#include "profile/DurableFile.h"
#include "session/Messages.h"
#include "wizard/MFUMain.h"
#include "wizard/SaveLog.h"

namespace vor {

namespace {

void ReplaceFirst(std::string& text, const std::string& what, const std::string& with) {
    if (const std::size_t at = text.find(what); at != std::string::npos) text.replace(at, what.size(), with);
}

}  // namespace

DesktopServices DefaultDesktopServices(const std::string& programDir) {
    DesktopServices desktop;
    desktop.diagnosePort = LivePortDiagnosis();
    desktop.sleepInhibitor = MakeSystemSleepInhibitor();
    desktop.recordFolder = [programDir] { return ChooseBackupFolder(programDir); };
    return desktop;
}

AttemptRecord MFUMain::BeginAttempt(const char* kind) {
    AttemptRecord record;
    record.started = env_.pump->localTime();
    record.kind = kind;
    record.warnings = warnings_;
    if (backend_) {
        record.identity = backend_->IdentityString();
        record.versionBefore = backend_->FirmwareVersion();
    }
    return record;
}

void MFUMain::RecordAttempt(AttemptRecord record, const std::string& outcome) noexcept {
    try {
        record.outcome = outcome;
        record.profilePending = !state_.ProfileIntact;
        if (backend_) {
            const std::string identity = backend_->IdentityString();
            if (!identity.empty()) record.identity = identity;
            record.serialNumber = backend_->SerialNumber();
            // The version of the last identity read, also when no check parsed it.
            record.versionAfter = VersionInIdentity(identity);
            if (record.versionAfter.empty()) record.versionAfter = backend_->FirmwareVersion();
            const std::string version = backend_->ImageVersion();
            record.image = std::filesystem::path(state_.FirmwarePath).filename().string() +
                           (version.empty() ? "" : ", version " + version);
        }
        record.rows = TaskRows();
        lastAttempt_ = record;
        if (!env_.desktop.recordFolder) return;
        std::string error;
        WriteAttemptRecord(env_.desktop.recordFolder(), record, error);
        // A record that cannot be written must not disturb the update's ending.
    } catch (...) {}
}

std::unique_ptr<SleepInhibitor::Hold> MFUMain::KeepAwake(const char* why) {
    if (!env_.desktop.sleepInhibitor) return nullptr;
    return env_.desktop.sleepInhibitor->inhibit(why);
}

std::vector<TaskRow> MFUMain::TaskRows() const {
    std::vector<TaskRow> rows;
    for (int r = 0; r < taskLst_->rowCount(); ++r) {
        const auto text = [&](int column) {
            const QTableWidgetItem* item = taskLst_->item(r, column);
            return item ? item->text().toStdString() : std::string();
        };
        const QTableWidgetItem* picture = taskLst_->item(r, 0);
        rows.push_back(
            {r, picture ? picture->data(TaskList::IconIndexRole).toInt() : IconInfo, text(1), text(2), text(3)});
    }
    return rows;
}

void MFUMain::SaveLogCmd_Click() {
    if (ended_) return;
    AttemptRecord record = lastAttempt_;
    if (record.kind.empty()) record = BeginAttempt("No update attempt yet");
    record.rows = TaskRows();

    const std::filesystem::path folder =
        env_.desktop.recordFolder ? env_.desktop.recordFolder() : std::filesystem::path(env_.programDir);
    const std::string suggested = AttemptRecordPath(folder, env_.pump->localTime()).string();
    const std::string caption = TextOr(Msg::SaveLogCaption, "Save the task log");
    const std::string path =
        env_.desktop.askSaveLogPath ? env_.desktop.askSaveLogPath(suggested) : AskSaveLogPath(this, caption, suggested);
    if (path.empty()) return;  // cancelled

    const std::string text = AttemptRecordText(record);
    const WriteResult written =
        WriteFileDurably(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (written.ok) return;
    std::string message = TextOr(Msg::SaveLogFailed, "The task log could not be saved: %1");
    ReplaceFirst(message, "%1", path + " (" + written.error + ")");
    MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption, message);
}

}  // namespace vor
