#pragma once
// The interface box's text for a diagnosed port problem, in the user's language.
// A missing cable keeps the wizard's own text (messages 593 and 802); every other
// problem says what was found and what the diver can do, then how OK and Cancel work.
// Texts the language database lacks fall back to English, so the box never goes blank.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/PortDiagnosis.h"

namespace vor {

namespace PortMsg {
constexpr std::int32_t NotFound = 593;
constexpr std::int32_t CheckCable = 802;
constexpr std::int32_t NoDriver = 901;
constexpr std::int32_t NoDriverHelp = 902;
constexpr std::int32_t NoPermission = 903;
constexpr std::int32_t NoPermissionHelp = 904;
constexpr std::int32_t Held = 905;
constexpr std::int32_t HeldHelp = 906;
constexpr std::int32_t OpenFailed = 907;
constexpr std::int32_t OpenFailedHelp = 908;
constexpr std::int32_t RetryOrQuit = 909;
constexpr std::int32_t StaleLock = 930;
constexpr std::int32_t StaleLockHelp = 931;
}  // namespace PortMsg

// English text of the messages 901..909, 930 and 931, used where the database has none.
std::string PortMessageFallback(std::int32_t number);

// "%1" becomes the port, "%2" the process names, "%3" the lock file.
std::string PortDiagnosisText(const PortDiagnosis& diagnosis, const std::function<std::string(std::int32_t)>& getText);

}  // namespace vor
