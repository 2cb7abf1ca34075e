#include "flow/Agreement.h"

#include <filesystem>
#include <fstream>

#include "flow/WizardFlow.h"
#include "session/Utf8Path.h"

namespace vor {

void PrintAgreement(WizardFlow& flow, const std::string& programDir, const LinePrinter& print) {
    if (flow.ended()) return;
    const std::filesystem::path path = PathOfUtf8(programDir) / AgreementFile;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        flow.MessageBox(BoxIcon::Critical, BoxButtons::Ok, WizardFlow::FixedBoxCaption,
                        "The agreement text " + Utf8Of(path) + " could not be opened.");
        return;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (const std::string why = print(lines); !why.empty())
        flow.MessageBox(BoxIcon::Critical, BoxButtons::Ok, WizardFlow::FixedBoxCaption,
                        "The agreement could not be printed: " + why);
}

}  // namespace vor
