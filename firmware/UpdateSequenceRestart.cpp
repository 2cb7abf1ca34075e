// The restart wait and the check of the restarted DC.
#include <cmath>

#include "firmware/UpdateSequence.h"
#include "firmware/UpdateSequenceTexts.h"

namespace vor {

void FirmwareUpdater::WaitForReset(double seconds) {
    wizard_.InsertTaskList(IconRunning, Text(Msg::WaitingForRestart), RunningStatus);
    const double start = pump_.now();
    // Ends at the first check after more than `seconds`, never at exactly `seconds`.
    do {
        pump_.yieldUntil(start + seconds);
    } while (!(std::fabs(pump_.now() - start) > seconds));
    wizard_.SetTaskStatus(Text(Msg::Done));
}

void FirmwareUpdater::VerifyNewCode() {
    wizard_.InsertTaskList(IconRunning, Text(Msg::CheckingNewCode), RunningStatus);
    if (!link_.ReadIdentity()) {
        ReportNoIdentity();
        return;
    }
    wizard_.SetTaskStatus(Text(Msg::Done));
    if (!link_.ParseIdentity(image_.ModelName)) {
        wizard_.InsertTaskList(IconError, Text(Msg::WrongDcAfterRestart), "");
        state_.CommError = true;
        updateFailed_ = true;
        link_.EnterDeepSleep();
        wizard_.ResetStage();
        return;
    }

    const std::string& dcVersion = link_.FirmwareVersion();
    bool newCodeIn = false;
    if (image_.OnlySection1()) {
        newCodeIn = dcVersion >= image_.ImageVersion;
    } else if (image_.OnlySection2()) {
        DeviceRevision = link_.ReadRevision();
        newCodeIn = DeviceRevision >= image_.ImageRevision;
    } else if (image_.BothSections()) {
        DeviceRevision = link_.ReadRevision();
        newCodeIn = dcVersion >= image_.ImageVersion && DeviceRevision >= image_.ImageRevision;
    }
    if (newCodeIn)
        wizard_.InsertTaskList(IconInfo, Text(Msg::NewCodeVerified), "");
    else
        updateFailed_ = true;  // the DC still reports the old version: not a success

    if (!state_.ProfileBackupNeeded) SetClockNow();
    wizard_.ResetStage();
}

}  // namespace vor
