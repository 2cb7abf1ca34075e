#include "wizard/BackendFactory.h"

#include "wizard/NoLinkBackend.h"

namespace vor {

std::unique_ptr<WizardBackend> MakeBackend(const AppOptions& /*options*/, WizardState& /*state*/,
                                           WizardServices& /*window*/, EventPump& /*pump*/) {
    return std::make_unique<NoLinkBackend>();
}

}  // namespace vor
