// The diver's profile outside an update: which saved copies a DC has, a copy of what it
// holds on request, and a saved copy written back into it on request, as safely as the
// update's own write-back.
#include <algorithm>
#include <system_error>

#include "session/Utf8Path.h"
#include "profile/BackupAside.h"
#include "profile/BackupCheck.h"
#include "profile/FileFacts.h"
#include "profile/ProfileKeeper.h"
#include "session/Messages.h"
#include "session/PrintableText.h"
#include "session/TextMarkers.h"

namespace vor {

std::vector<SavedProfileFile> ProfileKeeper::SavedFilesOfDc() const {
    const std::string pendingName = Utf8Of(BackupPath.filename());
    const std::string stem = Utf8Of(BackupPath.stem()) + ".";
    std::vector<SavedProfileFile> files;
    for (const auto& folder : folders_.all()) {
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = Utf8Of(it->path().filename());
            std::error_code typeError;
            if (!it->is_regular_file(typeError) || it->path().extension() != ".bin") continue;
            if (name == pendingName || name.rfind(stem, 0) == 0) files.push_back({it->path(), name == pendingName});
        }
    }
    std::sort(files.begin(), files.end(), [](const SavedProfileFile& a, const SavedProfileFile& b) {
        return a.pending != b.pending ? a.pending : a.path.filename() < b.path.filename();
    });
    return files;
}

std::optional<std::filesystem::path> ProfileKeeper::SaveDcProfileAs(std::filesystem::path file) {
    if (!ReadDcSerial()) {
        wizard_.InsertTaskList(IconError, wizard_.GetText(Msg::NoAnswer), "");
        return std::nullopt;
    }
    if (file.empty()) file = FreeSavedPath(NewBackupPath(), pump_.localTime());
    std::error_code ec;
    // A name already taken may be somebody's only copy; a pending backup's name would
    // make this copy be written back by the next run.
    if (std::filesystem::exists(std::filesystem::symlink_status(file, ec)) ||
        file.filename() == NewBackupPath().filename()) {
        wizard_.InsertTaskList(IconError, TextWith(Msg::SaveNameTaken, file), "");
        return std::nullopt;
    }
    BackupContent copy;
    ProfileSpan span;
    return SaveDcCopy(copy, span, file);
}

RestoreEnd ProfileKeeper::RestoreFromFile(const std::filesystem::path& file) {
    if (!ReadDcSerial()) {
        wizard_.InsertTaskList(IconError, wizard_.GetText(Msg::NoAnswer), "");
        return RestoreEnd::DcUnread;
    }
    CheckedBackup checked = CheckBackupFile(file, image_.MemorySize);
    std::string why = checked.damage;
    if (why.empty()) {
        const auto& digits = checked.content->digits;
        std::string serial;
        for (std::size_t i = 0; i < SerialDigitCount; ++i) serial += static_cast<char>('0' + digits[i]);
        if (digits != ConnectedDigits())
            why = "it holds the profile of the DC with the serial number " + serial + ", not of " + serialText_;
        else if (checked.span.empty)
            why = "it holds no profile";
    }
    if (!why.empty()) {
        wizard_.InsertTaskList(
            IconError, WithMarkers(wizard_.GetText(Msg::RestoreRefused), {PrintableText(Utf8Of(file)), why}), "");
        return RestoreEnd::Refused;
    }

    // What the DC holds now is kept first, so that a restore can itself be undone.
    BackupContent dcNow;
    ProfileSpan dcSpan;
    const auto dcCopy = SaveDcCopy(dcNow, dcSpan, FreeAsidePath(NewBackupPath(), pump_.localTime()));
    if (!dcCopy) return RestoreEnd::NotSaved;
    report_.dcCopy = *dcCopy;
    const BoxAnswer answer =
        wizard_.MessageBox(BoxIcon::Question, BoxButtons::YesNo, wizard_.GetText(Msg::RecoveryCaption),
                           RestoreQuestion(file, checked.span.blockCount, *dcCopy, dcSpan.blockCount));
    if (answer != BoxAnswer::Yes) return RestoreEnd::Declined;

    // The profile to write waits as the DC's pending backup while it is written: a
    // restore cut off (a pulled cable, a killed program) is finished by the next
    // restore or by the next update's recovery.
    const std::string name = BackupFileName(image_.ModelNumber, SerialNumber);
    const std::filesystem::path pending = FindSavedProfile(name).value_or(NewBackupPath());
    std::error_code ec;
    if (!std::filesystem::equivalent(pending, file, ec)) {
        BackupPath = pending;
        if (std::filesystem::exists(pending, ec) && !SetBackupAside()) return RestoreEnd::NotSaved;
        BackupPath = NewBackupPath();
        if (!SaveFile(BackupPath,
                      EncodeBackup(checked.content->header, checked.content->digits, checked.content->blocks))) {
            wizard_.InsertTaskList(IconError, TextWith(Msg::BackupNotSaved, folders_.primary), "");
            return RestoreEnd::NotSaved;
        }
    } else {
        BackupPath = pending;
    }
    UseContent(std::move(*checked.content), checked.span);
    state_.ProfileBackupNeeded = true;
    state_.ProfileIntact = false;
    RestoreProfile();
    return state_.ProfileIntact ? RestoreEnd::Restored : RestoreEnd::Failed;
}

std::string ProfileKeeper::RestoreQuestion(const std::filesystem::path& file, int blocks,
                                           const std::filesystem::path& dcCopy, int dcBlocks) {
    return WithMarkers(wizard_.GetText(Msg::RestoreQuestion),
                       {PrintableText(Utf8Of(file)), FileDateText(file), KilobytesOf(blocks),
                        PrintableText(Utf8Of(dcCopy)), DateText(pump_.localTime()), KilobytesOf(dcBlocks)});
}

}  // namespace vor
