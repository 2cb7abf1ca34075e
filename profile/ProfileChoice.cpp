// The DC holds another profile than the one saved for it (it was dived with after an
// update that failed, say). Neither copy may be lost and the program cannot know which
// one the diver wants: what the DC holds is saved first, then a person chooses.
#include "profile/BackupAside.h"
#include "profile/FileFacts.h"
#include "profile/ProfileKeeper.h"
#include "session/Messages.h"
#include "session/PrintableText.h"
#include "session/TextMarkers.h"
#include "session/Utf8Path.h"

namespace vor {
namespace {

constexpr const char* DcCopyStepText = "Backup dive computer profile";

}  // namespace

ProfileKeeper::Choice ProfileKeeper::ChooseBetweenProfiles() {
    BackupContent dcProfile;
    ProfileSpan dcSpan;
    const auto dcCopy = SaveDcCopy(dcProfile, dcSpan, FreeAsidePath(BackupPath, pump_.localTime()));
    if (!dcCopy) {
        // Without a copy of what the DC holds, neither choice is safe.
        report_.choiceOpen = true;
        return Choice::Open;
    }
    report_.dcCopy = *dcCopy;
    const BoxAnswer answer =
        wizard_.MessageBox(BoxIcon::Question, BoxButtons::ProfileChoice, wizard_.GetText(Msg::RecoveryCaption),
                           ChoiceQuestion(*dcCopy, dcSpan.blockCount));
    if (answer == BoxAnswer::UseSaved) return Choice::UseSaved;
    if (answer == BoxAnswer::KeepDc) {
        wizard_.InsertTaskList(IconInfo, wizard_.GetText(Msg::NewerProfileInDc), "");
        if (SetBackupAside()) return Choice::KeepDc;
    }
    report_.choiceOpen = true;
    return Choice::Open;
}

std::optional<std::filesystem::path> ProfileKeeper::SaveDcCopy(BackupContent& copy, ProfileSpan& span,
                                                               const std::filesystem::path& file) {
    copy.header = DcHeader();
    copy.digits = ConnectedDigits();
    span = LocateProfile(HeaderPointers(copy.header), image_.MemorySize);

    wizard_.InsertTaskList(IconRunning, DcCopyStepText, "");
    if (span.outOfRange) {  // pointers no profile table can hold: nothing to read whole
        wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
        wizard_.InsertTaskList(IconError, TextWith(Msg::BackupFailed, file.parent_path()), "");
        return std::nullopt;
    }
    const bool earlierFailure = state_.CommError;
    state_.CommError = false;
    const bool read = ReadProfileBlocks(copy.blocks, span.firstBlockLine, span.blockCount);
    state_.CommError = earlierFailure || !read;
    if (!read || !SaveFile(file, EncodeBackup(copy.header, copy.digits, copy.blocks))) {
        wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
        wizard_.InsertTaskList(
            IconError, TextWith(read ? Msg::BackupNotSaved : Msg::BackupFailed, FolderAndReason(file.parent_path())),
            "");
        return std::nullopt;
    }
    wizard_.SetTaskStatus(wizard_.GetText(Msg::Done));
    wizard_.InsertTaskList(IconInfo, TextWith(Msg::DcProfileSaved, file), "");
    return file;
}

std::string ProfileKeeper::ChoiceQuestion(const std::filesystem::path& dcCopy, int dcBlocks) {
    return WithMarkers(wizard_.GetText(Msg::ProfileChoiceQuestion),
                       {PrintableText(Utf8Of(BackupPath)), FileDateText(BackupPath), KilobytesOf(ProfileBlockCount),
                        PrintableText(Utf8Of(dcCopy)), DateText(pump_.localTime()), KilobytesOf(dcBlocks)});
}

}  // namespace vor
