#include "flow/ExitStatus.h"
#include "cli/CliOutcome.h"

#include "cli/CliOptions.h"
#include "cli/JsonLine.h"
#include "flow/WizardFlow.h"
#include "session/Utf8Path.h"

namespace vor {

CliOutcome OutcomeOfRun(WizardFlow& flow) {
    CliOutcome o;
    o.run = flow.Outcome();
    if (const std::optional<TaskOutcome> task = flow.TaskResult()) {
        o.exit = task->exit;
        o.result = task->result;
        o.message = task->message;
        o.task = task;
        return o;
    }
    o.message = flow.OutcomeText(o.run);
    if (o.run.profile == ProfileEnd::Pending) {
        o.exit = ExitProfileSaved;
        o.result = "profile-saved";
    } else if (Succeeded(o.run)) {
        o.exit = ExitUpdated;
        o.result = "updated";
    } else if (NothingChanged(o.run)) {
        o.exit = ExitNothingChanged;
        o.result = "nothing-changed";
    } else {
        o.exit = ExitFailed;
        o.result = "failed";
    }
    return o;
}

std::string OutcomeEvent(const CliOutcome& o) {
    JsonLine line;
    line.add("event", "outcome").add("exit", o.exit).add("result", o.result).add("message", o.message);
    if (o.task) {
        if (!o.task->file.empty()) line.add("file", Utf8Of(o.task->file));
        if (!o.task->dcCopy.empty()) line.add("dcCopy", Utf8Of(o.task->dcCopy));
        if (!o.task->pending.empty()) line.add("backup", Utf8Of(o.task->pending));
        return line.text();
    }
    if (!o.run.pendingFile.empty()) line.add("backup", Utf8Of(o.run.pendingFile));
    if (!o.run.setAsideFile.empty()) line.add("setAside", Utf8Of(o.run.setAsideFile));
    if (!o.run.dcCopy.empty()) line.add("dcCopy", Utf8Of(o.run.dcCopy));
    if (!o.run.damagedFile.empty()) line.add("damaged", Utf8Of(o.run.damagedFile));
    if (!o.run.backupLeft.empty()) line.add("backupLeft", Utf8Of(o.run.backupLeft));
    return line.text();
}

}  // namespace vor
