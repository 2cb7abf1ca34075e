// Close while a write-back is pending: the user is guided to reconnect the DC and the
// saved profile is written back from the backup file.
#include "profile/ProfileKeeper.h"
#include "profile/ProfileMessages.h"

namespace vor {

std::string ProfileKeeper::InstructionText() {
    std::string text;
    int number = 0;
    const auto numbered = [&](std::int32_t message) {
        text += std::to_string(++number) + ". " + wizard_.GetText(message) + "\r\n";
    };
    const auto plain = [&](std::int32_t message) { text += wizard_.GetText(message) + "\r\n"; };
    numbered(ProfileMsg::RecoveryUnplug);
    numbered(ProfileMsg::RecoveryClip);
    numbered(ProfileMsg::RecoveryWake);
    plain(ProfileMsg::RecoveryWake2);
    plain(ProfileMsg::RecoveryWake3);
    plain(ProfileMsg::RecoveryWake4);
    text += "\r\n";
    numbered(ProfileMsg::RecoveryStep4);
    numbered(ProfileMsg::RecoveryStep5);
    numbered(ProfileMsg::RecoveryStep6);
    return text;
}

void ProfileKeeper::ProfileRecovering() {
    const std::string caption = wizard_.GetText(ProfileMsg::RecoveryCaption);
    if (wizard_.MessageBox(BoxIcon::Warning, BoxButtons::YesNo, caption,
                           wizard_.GetText(ProfileMsg::RecoveryQuestion)) != BoxAnswer::Yes) {
        DeleteBackupFile();
        return;
    }
    for (;;) {
        if (wizard_.MessageBox(BoxIcon::Information, BoxButtons::OkCancel, caption, InstructionText()) !=
            BoxAnswer::Ok) {
            state_.ProfileIntact = true;
            DeleteBackupFile();
            break;
        }
        wizard_.SetProcessPriority(PriorityHigh);
        state_.ProfileIntact = false;
        if (!link_.ReadIdentity()) {
            wizard_.SetProcessPriority(PriorityNormal);
            continue;
        }
        const Lookup found = LookUpBackup();
        if (found == Lookup::BlockZeroUnread) {  // as unanswered as a failed identity query
            wizard_.SetProcessPriority(PriorityNormal);
            continue;
        }
        if (found != Lookup::Usable) {
            state_.ProfileIntact = true;
            // A damaged file is kept: it may still be worth something to the diver.
            if (found != Lookup::Unreadable) DeleteBackupFile();
            break;
        }
        RestoreProfile();
        if (state_.ProfileIntact) break;
    }
    SendClock();
    link_.EnterDeepSleep();
}

}  // namespace vor
