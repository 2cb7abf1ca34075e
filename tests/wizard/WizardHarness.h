#pragma once
// A real MFUMain on the offscreen platform, showing the flow of a FlowHarness (scripted
// backend, virtual clock, test database), with boxes answered from a script and a
// recording printer.

#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "platform/Printer.h"
#include "tests/flow/FlowHarness.h"
#include "tests/support/WindowTestSupport.h"
#include "wizard/MFUMain.h"

namespace vor::test {

class RecordingPrinter : public TextPrinter {
public:
    QString print(QWidget*, const QStringList& lines, const QString& fontFamily) override {
        printed.push_back(lines);
        family = fontFamily;
        return failure;
    }
    std::vector<QStringList> printed;
    QString family;
    QString failure;  // what the next print reports; empty for success
};

class WizardHarness : public FlowHarness {
public:
    WizardHarness();
    ~WizardHarness() override;

    // Builds the flow and its window with the given setup record (default: the built-in one).
    void build(const std::string& setupRecord = LoadResString(ResSetupRecord)) override;
    // build() if needed, then Form_Load(); shows the window when start-up went on.
    bool start(const std::string& setupRecord = LoadResString(ResSetupRecord)) override;

    QPushButton* button(const char* name) const;
    template <typename T>
    T* control(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* name) const;
    // The stages 1 -> 2 (Deep Sleep acknowledged) with the window's Next.
    void reachDeepSleepPage();

    ScriptedBoxes boxes;
    RecordingPrinter printer;
    // "Save log...": the file the user picks; empty: the file dialog.
    std::function<std::string(const std::string& suggestedPath)> askSaveLogPath;
    std::unique_ptr<MFUMain> window;
};

}  // namespace vor::test
