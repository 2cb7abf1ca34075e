#include "session/Utf8Path.h"
#include "profile/DcLock.h"

#include "session/PrintableText.h"

namespace vor {

std::string DcLockFileName(int modelNumber, const std::string& serialText) {
    return std::to_string(modelNumber) + "." + serialText + ".lock";
}

std::string DcHeldText(const DcLockRefusal& refusal, const std::filesystem::path& file) {
    const std::string who = refusal.pid > 0
                                ? "another run of this program (process " + std::to_string(refusal.pid) + ")"
                                : "another run of this program";
    return "This DC is being updated by " + who + ", which holds " + PrintableText(Utf8Of(file)) +
           ". This run sends the DC nothing more; let that run finish first.";
}

}  // namespace vor
