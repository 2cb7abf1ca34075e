#include "tests/wizard/WizardHarness.h"

#include <QTest>
#include <gtest/gtest.h>

namespace vor::test {

WizardHarness::WizardHarness() { EnsureApplication(); }

WizardHarness::~WizardHarness() {
    if (window) window->hide();
}

void WizardHarness::build(const std::string& setupRecord) {
    FlowHarness::build(setupRecord);
    window = std::make_unique<MFUMain>(*flow, WindowEnvironment{&boxes, &printer, dir.string(), askSaveLogPath});
}

bool WizardHarness::start(const std::string& setupRecord) {
    if (!window) build(setupRecord);
    const bool goesOn = window->Form_Load();
    if (goesOn) window->show();
    return goesOn;
}

QPushButton* WizardHarness::button(const char* name) const { return control<QPushButton>(name); }

void WizardHarness::click(const char* name) const {
    QPushButton* b = button(name);
    EXPECT_TRUE(b->isVisible() && b->isEnabled()) << name << " cannot be clicked";
    QTest::mouseClick(b, Qt::LeftButton);
}

void WizardHarness::reachDeepSleepPage() {
    backend.firmwareVersion = "1E";
    click("NextCmd");
}

}  // namespace vor::test
