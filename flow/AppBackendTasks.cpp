// The profile commands on the real link, image and profile keeper.
#include <system_error>

#include "session/Utf8Path.h"
#include "firmware/ImageLoader.h"
#include "firmware/UpdatePlan.h"
#include "flow/AppBackend.h"
#include "profile/FileFacts.h"
#include "session/Messages.h"
#include "session/PrintableText.h"
#include "session/TextMarkers.h"

namespace vor {

TaskOutcome AppBackend::RunProfileTask(const ProfileTask& task) {
    profile_.StartAttempt();
    link_.RenewLink();
    // After the Deep Sleep page the DC sleeps until the diver wakes it (with --yes nobody
    // waits at the page): the identity read's own tries give them the time, as the
    // update's first read does. A memory read would give up within a second.
    if (!link_.ReadIdentity()) {
        Row(IconError, Msg::NoAnswer, {});
        return DcNotReadOutcome();
    }
    if (!link_.ParseIdentity(image_.ModelName)) {
        wizard_.InsertTaskList(IconError, wizard_.GetText(Msg::NotForThisDc) + image_.DeviceName + "!", "");
        return DcNotReadOutcome();
    }
    switch (task.kind) {
    case ProfileTaskKind::Info: return DescribeDc();
    case ProfileTaskKind::Backup: return SaveDcProfile(task.file);
    case ProfileTaskKind::Restore: return RestoreDcProfile(task.file);
    case ProfileTaskKind::None: break;
    }
    return {};
}

void AppBackend::Row(int icon, std::int32_t message, std::initializer_list<std::string> values) {
    wizard_.InsertTaskList(icon, WithMarkers(wizard_.GetText(message), values), "");
}

TaskOutcome AppBackend::DescribeDc() {
    const std::uint8_t revision = RevisionInUse(image_) ? link_.ReadRevision() : 0;
    if (!profile_.ReadDcSerial()) {
        Row(IconError, Msg::NoAnswer, {});
        return DcNotReadOutcome();
    }
    const std::string version = VersionWithRevision(
        link_.FirmwareVersion(), RevisionInUse(image_) ? std::optional<std::uint8_t>(revision) : std::nullopt);
    Row(IconInfo, Msg::DcSummary, {image_.DeviceName, profile_.ConnectedSerial(), version});
    const std::string imageVersion = VersionWithRevision(
        image_.ImageVersion, RevisionInUse(image_) ? std::optional<std::uint8_t>(image_.ImageRevision) : std::nullopt);
    switch (PlanUpdate(image_, link_.FirmwareVersion(), revision)) {
    case UpdatePlan::Update:
        Row(IconInfo, Msg::ImageWouldUpdate, {imageVersion});
        Row(IconInfo, Msg::ImageSections, {image_.BothSections() ? "1, 2" : image_.OnlySection2() ? "2" : "1"});
        break;
    case UpdatePlan::Current: Row(IconInfo, Msg::ImageCurrent, {imageVersion}); break;
    case UpdatePlan::TooOld: Row(IconInfo, Msg::ImageNeedsNewerDc, {imageVersion, image_.MinimumVersion}); break;
    case UpdatePlan::NewerThanImage: Row(IconInfo, Msg::ImageOlderThanDc, {imageVersion}); break;
    case UpdatePlan::NoImage: break;
    }
    const auto files = profile_.SavedFilesOfDc();
    for (const SavedProfileFile& f : files) {
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(f.path, ec);
        Row(IconInfo, f.pending ? Msg::PendingFile : Msg::SavedFile,
            {PrintableText(Utf8Of(f.path)), FileDateText(f.path), ec ? "?" : std::to_string(bytes)});
    }
    if (files.empty()) Row(IconInfo, Msg::NoSavedFiles, {PrintableText(Utf8Of(profile_.folder()))});
    return {ExitUpdated, "info", "The DC was read; nothing was written into it.", {}, {}, {}};
}

TaskOutcome AppBackend::SaveDcProfile(const std::filesystem::path& file) {
    const auto saved = profile_.SaveDcProfileAs(file);
    if (!saved) return {ExitFailed, "failed", "The DC's profile was not saved.", {}, {}, {}};
    return {ExitUpdated, "saved", "The DC's profile was saved in " + saved->string() + " and read back equal.",
            *saved,      {},      {}};
}

TaskOutcome AppBackend::RestoreDcProfile(const std::filesystem::path& file) {
    const RestoreEnd end = profile_.RestoreFromFile(file);
    const std::filesystem::path dcCopy = profile_.report().dcCopy;
    const std::string undo = dcCopy.empty() ? "" : " What the DC held before is saved in " + Utf8Of(dcCopy) + ".";
    switch (end) {
    case RestoreEnd::Restored: return RestoredOutcome(file, dcCopy);
    case RestoreEnd::DcUnread: return DcNotReadOutcome();
    case RestoreEnd::Refused:
        return {ExitNothingChanged,
                "nothing-changed",
                Utf8Of(file) + " is not a usable backup of this DC: nothing was written into the DC.",
                file,
                {},
                {}};
    case RestoreEnd::Declined:
        return {ExitNothingChanged, "nothing-changed", "Nothing was written into the DC." + undo, file, dcCopy, {}};
    case RestoreEnd::NotSaved:
        return {ExitFailed, "failed", "Nothing was written into the DC: the files could not be saved first.",
                file,       dcCopy,   {}};
    case RestoreEnd::Failed: break;
    }
    const std::filesystem::path pending = profile_.report().backupFile;
    return {ExitProfileSaved,
            "profile-saved",
            "The restore did not complete. The profile to restore waits in " + Utf8Of(pending) +
                ": keep the DC on the cable and run --restore again (or the update) to write it back." + undo,
            file,
            dcCopy,
            pending};
}

}  // namespace vor
