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
    if (!o.run.pendingFile.empty()) line.add("backup", Utf8Of(o.run.pendingFile));
    if (!o.run.setAsideFile.empty()) line.add("setAside", Utf8Of(o.run.setAsideFile));
    if (!o.run.dcCopy.empty()) line.add("dcCopy", Utf8Of(o.run.dcCopy));
    return line.text();
}

}  // namespace vor
