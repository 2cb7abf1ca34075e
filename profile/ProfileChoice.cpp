// The DC holds another profile than the one saved for it (it was dived with after an
// update that failed, say). Neither copy may be lost and the program cannot know which
// one the diver wants: what the DC holds is saved first, then a person chooses.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "profile/BackupAside.h"
#include "profile/ProfileKeeper.h"
#include "session/Messages.h"
#include "session/PrintableText.h"
#include "session/TextMarkers.h"
#include "session/Utf8Path.h"

namespace vor {
namespace {

constexpr const char* DcCopyStepText = "Backup dive computer profile";
constexpr int BytesPerKilobyte = 1024;

std::string DateText(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year % 10000, t.month % 100, t.day % 100,
                  t.hour % 100, t.minute % 100);
    return text;
}

// When the file was last written, as the diver's clock showed it.
std::string FileDateText(const std::filesystem::path& file) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(file, ec);
    if (ec) return "?";
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    const std::tm* local = std::localtime(&seconds);
    if (!local) return "?";
    return DateText(
        {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec});
}

std::string KilobytesOf(int blocks) {
    return std::to_string((blocks * BlockDataBytes + BytesPerKilobyte - 1) / BytesPerKilobyte);
}

}  // namespace

ProfileKeeper::Choice ProfileKeeper::ChooseBetweenProfiles() {
    BackupContent dcProfile;
    ProfileSpan dcSpan;
    const auto dcCopy = SaveDcCopy(dcProfile, dcSpan);
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

std::optional<std::filesystem::path> ProfileKeeper::SaveDcCopy(BackupContent& copy, ProfileSpan& span) {
    std::copy_n(blockZero_.begin() + HeaderBlockOffset, 16, copy.header.begin());
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i) sum += copy.header[static_cast<std::size_t>(i)];
    copy.header[16] = static_cast<std::uint8_t>(sum % 256);
    for (std::size_t i = 0; i < SerialDigitCount; ++i) copy.digits[i] = static_cast<std::uint8_t>(serialText_[i] - '0');
    span =
        LocateProfile(std::span<const std::uint8_t, ProfileHeaderSize>(copy.header).subspan<PointerHeaderOffset, 4>(),
                      image_.MemorySize);

    wizard_.InsertTaskList(IconRunning, DcCopyStepText, "");
    const bool earlierFailure = state_.CommError;
    state_.CommError = false;
    const bool read = ReadProfileBlocks(copy.blocks, span.firstBlockLine, span.blockCount);
    state_.CommError = earlierFailure || !read;
    const std::filesystem::path file = FreeAsidePath(BackupPath, pump_.localTime());
    if (!read || !SaveFile(file, EncodeBackup(copy.header, copy.digits, copy.blocks))) {
        wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
        wizard_.InsertTaskList(IconError, TextWith(read ? Msg::BackupNotSaved : Msg::BackupFailed, folder_), "");
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
