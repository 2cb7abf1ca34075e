#include "flow/PortBox.h"

#include "platform/PortDiagnosisText.h"
#include "session/Messages.h"

namespace vor {

namespace {
constexpr const char* FixedPortBoxCaption = "Firmware Update";
}

BoxAnswer ShowPortBox(const PortOpenOutcome& outcome, const PortBoxServices& services) {
    PortDiagnosis diagnosis;
    if (services.diagnosePort) {
        diagnosis = services.diagnosePort(outcome);
    } else {
        diagnosis.portPath = outcome.portName;
        diagnosis.openError = outcome.detail;
        // Without a diagnosis only a refused permission is explained; the rest keeps the wizard's box.
        diagnosis.problem =
            outcome.result == PortOpenResult::PermissionDenied ? PortProblem::PermissionDenied : PortProblem::NoCable;
    }
    // The missing cable keeps the wizard's own caption and text; the others explain.
    std::string caption = services.text(Msg::PortBoxCaption);
    if (caption.empty() && diagnosis.problem != PortProblem::NoCable) caption = FixedPortBoxCaption;
    return services.ask(BoxIcon::Critical, BoxButtons::OkCancel, caption, PortDiagnosisText(diagnosis, services.text));
}

}  // namespace vor
