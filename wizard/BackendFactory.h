#pragma once
// Chooses the backend the program runs with; the one place to wire a new one.

#include <memory>

#include "platform/EventPump.h"
#include "wizard/AppOptions.h"
#include "wizard/WizardBackend.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

std::unique_ptr<WizardBackend> MakeBackend(const AppOptions& options, WizardState& state, WizardServices& window,
                                           EventPump& pump);

}  // namespace vor
