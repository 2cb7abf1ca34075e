#pragma once
// The interface box: why the cable's port could not be opened, and OK to try again or
// Cancel to end.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/PortDiagnosis.h"
#include "platform/PortOpen.h"
#include "session/WizardServices.h"

namespace vor {

struct PortBoxServices {
    std::function<PortDiagnosis(const PortOpenOutcome&)> diagnosePort;  // empty: the outcome alone
    std::function<std::string(std::int32_t)> text;
    std::function<BoxAnswer(BoxIcon, BoxButtons, const std::string&, const std::string&)> ask;
};

BoxAnswer ShowPortBox(const PortOpenOutcome& outcome, const PortBoxServices& services);

}  // namespace vor
