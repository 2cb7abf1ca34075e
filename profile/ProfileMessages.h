#pragma once
// Message numbers and fixed texts of the profile steps.

#include <cstdint>

namespace vor::ProfileMsg {

constexpr std::int32_t Done = 777;
constexpr std::int32_t Failed = 280;
constexpr std::int32_t BackupFailed = 797;
constexpr std::int32_t RestoreStep = 796;
constexpr std::int32_t RestoreFailed = 790;
constexpr std::int32_t VerifyFailed = 816;
constexpr std::int32_t RecoveryCaption = 817;
constexpr std::int32_t RecoveryQuestion = 913;    // "... set aside in %1" (818 said "deleted")
constexpr std::int32_t RecoveryUnplug = 640;  // 1.
constexpr std::int32_t RecoveryClip = 654;    // 2.
constexpr std::int32_t RecoveryWake = 804;    // 3., followed by 805..807 unnumbered
constexpr std::int32_t RecoveryWake2 = 805;
constexpr std::int32_t RecoveryWake3 = 806;
constexpr std::int32_t RecoveryWake4 = 807;
constexpr std::int32_t RecoveryStep4 = 808;
constexpr std::int32_t RecoveryStep5 = 809;
constexpr std::int32_t RecoveryStep6 = 914;     // "... set aside in %1" (819 said "deleted")
constexpr std::int32_t CheckStep = 915;         // reading every written block back
constexpr std::int32_t BackupNotSaved = 916;    // %1: the folder tried
constexpr std::int32_t OtherDcBackupKept = 917; // %1: the pending backup file
constexpr std::int32_t SetAside = 918;          // %1: the set-aside file
constexpr std::int32_t NewerProfileInDc = 919;

// Not in the language database.
constexpr const char* BackupStepText = "Backup dive computer profile";

}  // namespace vor::ProfileMsg
