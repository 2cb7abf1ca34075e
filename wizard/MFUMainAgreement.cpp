// The agreement page's buttons (never shown by the program itself).

#include "flow/Agreement.h"
#include "platform/Printer.h"
#include "wizard/MFUMain.h"

namespace vor {

void MFUMain::DisagreeCmd_Click() {
    // Ends at once: none of the close steps runs.
    flow_.EndAtOnce();
}

void MFUMain::PrintCmd_Click() {
    PrintAgreement(flow_, env_.programDir, [this](const std::vector<std::string>& lines) -> std::string {
        if (!env_.printer) return "no printer is available.";
        QStringList text;
        for (const std::string& line : lines) text << QString::fromStdString(line);
        return env_.printer->print(this, text, font().family()).toStdString();
    });
}

}  // namespace vor
