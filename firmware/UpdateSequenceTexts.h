#pragma once
// Message numbers of the update and upload task-log rows. Plain C++; the texts
// themselves come from the language database through WizardServices::GetText.

#include <cstdint>
#include <string>

namespace vor {

namespace Msg {
constexpr std::int32_t NoAnswer = 150;          // the DC did not answer
constexpr std::int32_t Failed = 280;            // status of a failed step
constexpr std::int32_t Done = 777;              // status of a finished step
constexpr std::int32_t Version = 781;           // "version"
constexpr std::int32_t CheckingDc = 782;        // identity check at the start of the update
constexpr std::int32_t NotForThisDc = 783;      // first part of the wrong-product / too-old line
constexpr std::int32_t UpdateFirst = 784;       // last part of the too-old line
constexpr std::int32_t AlreadyCurrent = 785;
constexpr std::int32_t UpdateSucceeded = 786;
constexpr std::int32_t UploadingCode = 787;      // the one section of a one-section image
constexpr std::int32_t UploadingSection1 = 788;  // section 1 of a two-section image
constexpr std::int32_t UploadingSection2 = 789;  // section 2 of a two-section image
constexpr std::int32_t UploadFailed = 790;
constexpr std::int32_t CheckingNewCode = 792;
constexpr std::int32_t WrongDcAfterRestart = 793;
constexpr std::int32_t NewCodeVerified = 794;
constexpr std::int32_t WaitingForRestart = 803;
constexpr std::int32_t UpdateFailed = 814;
constexpr std::int32_t ProfileOnClose = 815;     // the profile is written back when the wizard closes
}  // namespace Msg

// Status of a running step.
inline const std::string RunningStatus = "...";

}  // namespace vor
