// The agreement page's buttons (never shown by the program itself).

#include <QFile>
#include <QTextStream>
#include <filesystem>

#include "platform/Printer.h"
#include "wizard/MFUMain.h"

namespace vor {

namespace {
constexpr const char* AgreementFile = "RD2_EUA.prn";
}

void MFUMain::DisagreeCmd_Click() {
    // Ends at once: none of the close steps runs.
    flow_.EndAtOnce();
}

void MFUMain::PrintCmd_Click() {
    if (flow_.ended()) return;
    const std::string path = (std::filesystem::path(env_.programDir) / AgreementFile).string();
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        flow_.MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption,
                         "The agreement text " + path + " could not be opened.");
        return;
    }
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd()) lines << in.readLine();
    file.close();

    const QString error =
        env_.printer ? env_.printer->print(this, lines, font().family()) : QStringLiteral("No printer is available.");
    if (!error.isEmpty())
        flow_.MessageBox(BoxIcon::Critical, BoxButtons::Ok, FixedBoxCaption,
                         "The agreement could not be printed: " + error.toStdString());
}

}  // namespace vor
