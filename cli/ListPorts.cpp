#include "flow/ExitStatus.h"
#include "cli/ListPorts.h"

#include "cli/CliOptions.h"
#include "platform/PortDiagnosis.h"
#include "platform/PortDiagnosisText.h"
#include "session/PrintableText.h"

namespace vor {

int ListPorts(const std::function<void(const std::string&)>& print,
              const std::function<std::string(std::int32_t)>& getText, const std::set<std::string>& cablePorts,
              const PortTrial& tryPort) {
    const auto diagnose = LivePortDiagnosis();
    const auto explain = [&](const PortOpenOutcome& outcome) {
        const PortDiagnosis diagnosis = diagnose ? diagnose(outcome) : PortDiagnosis{};
        return PortDiagnosisText(diagnosis, getText);
    };
    if (cablePorts.empty()) {
        print("No interface cable found.\n" + explain({PortOpenResult::NotFound, {}, "no interface cable found"}));
        return ExitNothingChanged;
    }
    bool usable = false;
    for (const std::string& name : cablePorts) {
        const PortOpenOutcome outcome = tryPort(name);
        if (outcome.result == PortOpenResult::Opened) {
            usable = true;
            print(PrintableText(name) + ": interface cable, ready");
        } else {
            print(PrintableText(name) + ": interface cable, not usable\n" + explain(outcome));
        }
    }
    return usable ? ExitUpdated : ExitNothingChanged;
}

}  // namespace vor
