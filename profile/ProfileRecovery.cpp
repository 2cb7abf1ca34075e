// Close while a write-back is pending: the user is guided to reconnect the DC and the
// saved profile is written back from the backup file.
#include "profile/ProfileKeeper.h"
#include "session/Messages.h"

namespace vor {
std::string ProfileKeeper::InstructionText() {
    std::string text;
    int number = 0;
    const auto numbered = [&](const std::string& line) { text += std::to_string(++number) + ". " + line + "\r\n"; };
    const auto plain = [&](std::int32_t message) { text += wizard_.GetText(message) + "\r\n"; };
    numbered(wizard_.GetText(Msg::RecoveryUnplug));
    numbered(wizard_.GetText(Msg::RecoveryClip));
    numbered(wizard_.GetText(Msg::RecoveryWake));
    plain(Msg::RecoveryWake2);
    plain(Msg::RecoveryWake3);
    plain(Msg::RecoveryWake4);
    text += "\r\n";
    numbered(wizard_.GetText(Msg::RecoveryStep4));
    numbered(wizard_.GetText(Msg::RecoveryStep5));
    numbered(TextWith(Msg::RecoveryStep6, BackupFolderInUse()));
    return text;
}

void ProfileKeeper::ProfileRecovering() {
    const std::string caption = wizard_.GetText(Msg::RecoveryCaption);
    const BoxAnswer answer = wizard_.MessageBox(BoxIcon::Warning, BoxButtons::YesNo, caption,
                                                TextWith(Msg::RecoveryQuestion, BackupFolderInUse()));
    if (answer == BoxAnswer::Undecided) return;  // nobody could answer: the backup stays for the next run
    if (answer != BoxAnswer::Yes) {
        SetBackupAside();
        return;
    }
    RecoverWithUser(caption);
    SendClock();
    link_.EnterDeepSleep();
}

void ProfileKeeper::RecoverWithUser(const std::string& caption) {
    const std::filesystem::path pending = BackupPath;
    for (;;) {
        const BoxAnswer answer =
            wizard_.MessageBox(BoxIcon::Information, BoxButtons::OkCancel, caption, InstructionText());
        if (answer == BoxAnswer::Undecided) return;
        if (answer != BoxAnswer::Ok) {
            state_.ProfileIntact = true;
            SetBackupAside();
            return;
        }
        wizard_.SetProcessPriority(PriorityHigh);
        state_.ProfileIntact = false;
        // Each OK is a fresh attempt: a cable pulled and put back is opened again.
        if (!link_.RenewLink() || !link_.ReadIdentity()) {
            wizard_.SetProcessPriority(PriorityNormal);
            continue;
        }
        const Lookup found = LookUpBackup();
        if (found == Lookup::BlockZeroUnread) {  // as unanswered as a failed identity query
            wizard_.SetProcessPriority(PriorityNormal);
            continue;
        }
        std::error_code ec;
        if (BackupPath != pending && std::filesystem::exists(pending, ec)) {
            // Another DC is on the cable: the pending profile is not its to take, and
            // whatever that DC's own file holds is no business of this recovery.
            BackupPath = pending;
            wizard_.MessageBox(BoxIcon::Warning, BoxButtons::Ok, caption, TextWith(Msg::OtherDcBackupKept, pending));
            return;
        }
        if (found == Lookup::HeldElsewhere) {  // that run has the DC now; the file stays
            wizard_.MessageBox(BoxIcon::Warning, BoxButtons::Ok, caption, heldText_);
            return;
        }
        Choice choice = found == Lookup::Usable ? Choice::UseSaved : Choice::Open;
        if (found == Lookup::Superseded) {
            choice = ChooseBetweenProfiles();
            if (choice == Choice::Open) return;  // both kept until a person chooses
        }
        if (choice == Choice::UseSaved) {
            RestoreProfile();
            if (!state_.ProfileIntact) continue;
            return;
        }
        state_.ProfileIntact = true;
        // No usable backup of the connected DC. A damaged one was set aside by the lookup
        // (KeepDc has set the backup aside already): the diver hears why nothing is written.
        if (found == Lookup::Damaged) {
            wizard_.MessageBox(BoxIcon::Warning, BoxButtons::Ok, caption, damageRow_);
            return;
        }
        if (choice != Choice::KeepDc && found != Lookup::NoFile) SetBackupAside();
        return;
    }
}

}  // namespace vor
