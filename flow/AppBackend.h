#pragma once
// The real backend behind the wizard's handlers: the DC link, the firmware image,
// the profile keeper and the update sequence, wired on one serial port. Plain C++:
// the port and the way it is opened come from outside, so the same wiring runs on
// the real cable, on the simulator's pseudo-terminal and in-process on a fake port.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "firmware/FirmwareImage.h"
#include "firmware/UpdateSequence.h"
#include "link/CommModule.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "profile/BackupFolder.h"
#include "profile/ProfileKeeper.h"
#include "flow/ProfileForUpdate.h"
#include "flow/WizardBackend.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

class AppBackend : public WizardBackend {
public:
    using PortOpener = std::function<PortOpenOutcome()>;

    AppBackend(WizardState& state, WizardServices& wizard, EventPump& pump, SerialPort& port, PortOpener openPort,
               BackupFolders backupFolders);

    std::optional<std::string> LoadFirmwareImage() override;
    PortOpenOutcome OpenInterfacePort() override { return openPort_(); }

    // The first Next and the update are new attempts: a cable pulled and put back
    // since the last one is opened again.
    bool ReadIdentity() override {
        link_.RenewLink();
        return link_.ReadIdentity();
    }
    bool ParseIdentity() override { return link_.ParseIdentity(image_.ModelName); }
    std::string FirmwareVersion() override { return link_.FirmwareVersion(); }
    std::string DeviceName() override { return image_.DeviceName; }
    std::string IdentityString() override { return link_.IdentityString(); }
    std::string ImageVersion() override { return image_.ImageVersion; }
    // The keeper names the backup path once block 0 has been read.
    std::string SerialNumber() override { return profile_.ConnectedSerial(); }
    bool EnterDeepSleep() override { return link_.EnterDeepSleep(); }

    FirmwareReport UpdateFirmware() override {
        profile_.StartAttempt();
        link_.RenewLink();
        return updater_.UpdateFirmware();
    }
    void ProfileRecovering() override { profile_.ProfileRecovering(); }
    FirmwareReport FirmwareFacts() override { return updater_.report(); }
    ProfileReport ProfileFacts() override { return profile_.report(); }

    TaskOutcome RunProfileTask(const ProfileTask& task) override;

    void AbortLink() override { link_.Abort(); }
    void WaitSeconds(double seconds) override { link_.WaitSeconds(seconds); }
    void ReleaseReplyBuffers() override { link_.ReleaseReplyBuffers(); }
    void ReleaseDc() override { profile_.ReleaseDc(); }

private:
    TaskOutcome DescribeDc();
    TaskOutcome SaveDcProfile(const std::filesystem::path& file);
    TaskOutcome RestoreDcProfile(const std::filesystem::path& file);
    // An information or error row from a message with its %1.. values.
    void Row(int icon, std::int32_t message, std::initializer_list<std::string> values);

    WizardState& state_;
    WizardServices& wizard_;
    PortOpener openPort_;
    FirmwareImage image_;
    ProfileImageFacts profileImage_;  // copied from image_ once it is loaded
    CommModule link_;
    ProfileKeeper profile_;
    ProfileForUpdate profileForUpdate_{profile_};
    FirmwareUpdater updater_;
};

}  // namespace vor
