#pragma once
// The interface box's text for a diagnosed port problem, in the user's language.
// A missing cable keeps the wizard's own text (Msg::CableNotFound, Msg::CheckCable); every other
// problem says what was found and what the diver can do, then how OK and Cancel work.
// Texts the language database lacks fall back to English, so the box never goes blank.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/PortDiagnosis.h"
#include "session/Messages.h"

namespace vor {

// English text of the findings, their help texts and Msg::RetryOrQuit, used where the
// database has none.
std::string PortMessageFallback(std::int32_t number);

// "%1" becomes the port, "%2" the process names, "%3" the lock file.
std::string PortDiagnosisText(const PortDiagnosis& diagnosis, const std::function<std::string(std::int32_t)>& getText);

}  // namespace vor
