#pragma once
// A backend without a DC link: the port opens, the DC never answers, nothing is
// ever reported as done. Stands in until the real link is wired.

#include "wizard/WizardBackend.h"

namespace vor {

class NoLinkBackend : public WizardBackend {
public:
    void GetCode() override {}
    PortOpenOutcome OpenInterfacePort() override { return {PortOpenResult::Opened, {}, {}}; }
    bool ReadIdentity() override { return false; }
    bool ParseIdentity() override { return false; }
    std::string FirmwareVersion() override { return {}; }
    std::string DeviceName() override { return {}; }
    bool EnterDeepSleep() override { return false; }
    void UpdateFirmware() override {}
    void ProfileRecovering() override {}
    void AbortLink() override {}
    void WaitSeconds(double) override {}
    void ReleaseReplyBuffers() override {}
};

}  // namespace vor
