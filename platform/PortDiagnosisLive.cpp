// Linux: the failed open is examined in the live system's sysfs, /dev and /proc.

#include "platform/PortDiagnosis.h"

namespace vor {

std::function<PortDiagnosis(const PortOpenOutcome&)> LivePortDiagnosis() {
    return [](const PortOpenOutcome& outcome) { return DiagnoseOpenFailure(PortDiagnosisSystem{}, outcome); };
}

}  // namespace vor
