// Attempt records and sleep blocking around the work that writes the DC.

#include <span>

#include "flow/WizardFlow.h"
#include "profile/DurableFile.h"
#include "session/Messages.h"
#include "session/Utf8Path.h"

namespace vor {

AttemptRecord WizardFlow::BeginAttempt(const char* kind) {
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

void WizardFlow::RecordAttempt(AttemptRecord record, const std::string& interruption) noexcept {
    try {
        const RunOutcome outcome = Outcome();
        const std::optional<TaskOutcome> task = TaskResult();
        record.outcome =
            (interruption.empty() ? "" : interruption + ". ") + (task ? task->message : OutcomeText(outcome));
        record.pendingFile = Utf8Of(outcome.pendingFile);
        record.setAsideFile = Utf8Of(outcome.setAsideFile);
        record.dcCopy = Utf8Of(outcome.dcCopy);
        if (backend_) {
            const std::string identity = backend_->IdentityString();
            if (!identity.empty()) record.identity = identity;
            record.serialNumber = backend_->SerialNumber();
            // The version of the last identity read, also when no check parsed it.
            record.versionAfter = VersionInIdentity(identity);
            if (record.versionAfter.empty()) record.versionAfter = backend_->FirmwareVersion();
            const std::string version = backend_->ImageVersion();
            record.image =
                Utf8Of(PathOfUtf8(state_.FirmwarePath).filename()) + (version.empty() ? "" : ", version " + version);
        }
        record.rows = taskLog_.rows();
        if (!missingTexts_.empty()) {
            std::string numbers;
            for (std::int32_t n : missingTexts_) numbers += (numbers.empty() ? "" : ", ") + std::to_string(n);
            record.warnings.push_back("the language database lacks messages " + numbers +
                                      ": their built-in English texts were shown");
        }
        lastAttempt_ = record;
        if (!env_.recordFolder) return;
        std::string error;
        WriteAttemptRecord(env_.recordFolder(), record, error);
        // A record that cannot be written must not disturb the update's ending.
    } catch (...) {}
}

AttemptRecord WizardFlow::RecordSoFar() {
    AttemptRecord record = lastAttempt_.kind.empty() ? BeginAttempt("No update attempt yet") : lastAttempt_;
    record.rows = taskLog_.rows();
    return record;
}

void WizardFlow::SaveRecordAs(const std::string& path) {
    if (ended_) return;
    const std::string text = AttemptRecordText(RecordSoFar());
    const WriteResult written =
        WriteFileDurably(PathOfUtf8(path), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (written.ok) return;
    std::string message = GetText(Msg::SaveLogFailed);
    if (message.empty()) message = "The task log could not be saved: %1";
    if (const std::size_t at = message.find("%1"); at != std::string::npos)
        message.replace(at, 2, path + " (" + written.error + ")");
    MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption, message);
}

std::filesystem::path WizardFlow::RecordPathSuggestion() const {
    const std::filesystem::path folder = env_.recordFolder ? env_.recordFolder() : PathOfUtf8(env_.programDir);
    return AttemptRecordPath(folder, env_.pump->localTime());
}

std::unique_ptr<SleepInhibitor::Hold> WizardFlow::KeepAwake(const char* why) {
    if (!env_.sleepInhibitor) return nullptr;
    return env_.sleepInhibitor->inhibit(why);
}

}  // namespace vor
