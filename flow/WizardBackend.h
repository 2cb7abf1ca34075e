#pragma once
// What the wizard's flow calls in the other subsystems. The application
// wires the real link, firmware and profile code behind it; the flow's tests script one.

#include <filesystem>
#include <optional>
#include <string>

#include "firmware/UpdateSequence.h"
#include "flow/ProfileTask.h"
#include "platform/PortOpen.h"
#include "profile/ProfileKeeper.h"

namespace vor {

class WizardBackend {
public:
    virtual ~WizardBackend() = default;

    // Start-up: GetCode, the load and check of the firmware image. It reports in the task
    // log and its box; nothing when the image can be used, else why not (for people),
    // and the flow ends the program.
    virtual std::optional<std::string> LoadFirmwareImage() = 0;
    // Start-up: find the cable's port and open it at 38400 bit/s, 8N1, DTR and RTS on.
    virtual PortOpenOutcome OpenInterfacePort() = 0;

    // Next at stage 2.
    virtual bool ReadIdentity() = 0;
    virtual bool ParseIdentity() = 0;
    virtual std::string FirmwareVersion() = 0;
    virtual std::string DeviceName() = 0;
    // For the attempt record: the DC's identity as last read, the image's version.
    virtual std::string IdentityString() { return {}; }
    virtual std::string ImageVersion() { return {}; }
    // For the attempt record: the serial number in the DC's memory (block 0), as the
    // backup file is named; empty while block 0 has not been read.
    virtual std::string SerialNumber() { return {}; }
    virtual bool EnterDeepSleep() = 0;

    // Next that starts the update; runs the whole attempt inside the click and hands
    // back what it did.
    virtual FirmwareReport UpdateFirmware() = 0;
    // The terminal's profile commands, run where the update would start.
    virtual TaskOutcome RunProfileTask(const ProfileTask&) { return {}; }
    // Close while a write-back is pending.
    virtual void ProfileRecovering() = 0;
    // What the current or last attempt did to the firmware and to the profile so far
    // (also when the program ended in the middle of it).
    virtual FirmwareReport FirmwareFacts() { return {}; }
    virtual ProfileReport ProfileFacts() { return {}; }

    // Close: make a waiting command give up (LinkError and LinkAbort), the 1 s
    // busy-wait, and release the reply buffers.
    virtual void AbortLink() = 0;
    virtual void WaitSeconds(double seconds) = 0;
    virtual void ReleaseReplyBuffers() = 0;
    // The program ends: another run may take the DC now.
    virtual void ReleaseDc() {}
};

}  // namespace vor
