#include "profile/ProfileKeeper.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "link/ClockRecord.h"
#include "profile/BackupAside.h"
#include "session/Messages.h"
#include "session/PrintableText.h"
#include "session/ProgressText.h"
#include "session/TextMarkers.h"
#include "session/Utf8Path.h"

namespace vor {
namespace {

// Not in the language database.
constexpr const char* BackupStepText = "Backup dive computer profile";

int PackedDecimal(std::uint8_t b) { return (b / 16) * 10 + (b % 16); }

std::uint8_t SumOf(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint8_t>(sum % 256);
}

}  // namespace

ProfileKeeper::ProfileKeeper(CommModule& link, WizardServices& wizard, WizardState& state,
                             const ProfileImageFacts& image, EventPump& pump, std::filesystem::path backupFolder)
    : link_(link), wizard_(wizard), state_(state), image_(image), pump_(pump), folder_(std::move(backupFolder)) {}

std::optional<MemoryBlock> ProfileKeeper::ReadBlock(int line) {
    const bool earlierFailure = state_.CommError;
    state_.CommError = false;
    auto block = link_.ReadMemoryBlock(line);
    state_.CommError = earlierFailure || !block;
    return block;
}

std::span<const std::uint8_t, 4> ProfileKeeper::HeaderPointers() const {
    return std::span<const std::uint8_t, ProfileHeaderSize>(ProfileHeader).subspan<PointerHeaderOffset, 4>();
}

void ProfileKeeper::SetConnectedDigits() {
    SerialDigits.fill(0);
    for (std::size_t i = 0; i < SerialDigitCount; ++i)
        SerialDigits[i] = static_cast<std::uint8_t>(serialText_[i] - '0');
}

void ProfileKeeper::UseSpan(const ProfileSpan& span) {
    ProfileStartLine = span.startLine;
    ProfileEndLine = span.endLine;
    if (!span.empty && !span.outOfRange) ProfileBlockCount = span.blockCount;
}

ProfileKeeper::Lookup ProfileKeeper::LookUpBackup() {
    // Serial and path decoded from a failed read would name some other DC's file.
    const auto block = ReadBlock(0);
    if (!block) return Lookup::BlockZeroUnread;
    blockZero_ = *block;

    SerialDigits.fill(0);
    const auto& b = blockZero_;
    SerialNumber = PackedDecimal(b[SerialBlockOffset]) * 10000 + PackedDecimal(b[SerialBlockOffset + 1]) * 100 +
                   PackedDecimal(b[SerialBlockOffset + 2]);
    serialText_ = SerialText(SerialNumber);
    BackupPath = folder_ / BackupFileName(image_.ModelNumber, SerialNumber);

    std::error_code ec;
    if (!std::filesystem::exists(BackupPath, ec)) {
        SetConnectedDigits();
        return Lookup::NoFile;
    }
    const auto bytes = ReadWholeFile(BackupPath, BackupFileSize);
    auto content = bytes ? DecodeBackup(*bytes) : std::nullopt;
    if (!content) return Lookup::Unreadable;
    const ProfileSpan span = LocateProfile(
        std::span<const std::uint8_t, ProfileHeaderSize>(content->header).subspan<PointerHeaderOffset, 4>(),
        image_.MemorySize);
    if (!span.empty && (span.outOfRange || !ProfileRowsAreSound(content->blocks, span.blockCount)))
        return Lookup::Unreadable;

    UseContent(std::move(*content), span);
    if (span.empty) return Lookup::EmptyProfile;
    for (std::size_t i = 0; i < SerialDigitCount; ++i)
        if (static_cast<int>(SerialDigits[i]) != serialText_[i] - '0') return Lookup::OtherDc;
    return DcHoldsOtherProfile() ? Lookup::Superseded : Lookup::Usable;
}

// Block 0 of the DC is the one the lookup read. A DC whose update erased its
// profile (or that never had one) has nothing to lose; one whose header differs from
// the file's and still locates a profile has been dived since the file was saved.
bool ProfileKeeper::DcHoldsOtherProfile() const {
    const auto dcHeader = std::span(blockZero_).subspan<HeaderBlockOffset, 16>();
    if (std::equal(dcHeader.begin(), dcHeader.end(), ProfileHeader.begin())) return false;
    const ProfileSpan own =
        LocateProfile(std::span(blockZero_).subspan<HeaderBlockOffset + PointerHeaderOffset, 4>(), image_.MemorySize);
    return !own.empty && !own.outOfRange;
}

std::optional<std::filesystem::path> ProfileKeeper::SetBackupAside() {
    std::string error;
    const auto moved = vor::SetBackupAside(BackupPath, pump_.localTime(), error);
    if (moved) {
        report_.setAside = *moved;
        wizard_.InsertTaskList(IconInfo, TextWith(Msg::BackupSetAside, *moved), "");
    }
    return moved;
}

std::string ProfileKeeper::TextWith(std::int32_t message, const std::filesystem::path& path) {
    // A path from outside (the user's folder) must not break the text's lines.
    return WithMarkers(wizard_.GetText(message), {PrintableText(Utf8Of(path))});
}

ProfileReport ProfileKeeper::report() const {
    ProfileReport report = report_;
    report.backupFile = BackupPath;
    return report;
}

bool ProfileKeeper::GetBackupProfile() {
    const Lookup found = LookUpBackup();
    if (found != Lookup::Superseded) return found == Lookup::Usable;
    return ChooseBetweenProfiles() == Choice::UseSaved;
}

void ProfileKeeper::BackupProfile() {
    Lookup found = LookUpBackup();
    if (found == Lookup::Superseded) {
        switch (ChooseBetweenProfiles()) {
        case Choice::UseSaved: found = Lookup::Usable; break;
        case Choice::KeepDc: found = Lookup::NoFile; break;  // a fresh backup of what the DC holds
        case Choice::Open:
            // Nothing is sent while nobody has chosen: the DC keeps what it holds and
            // the backup stays where the next run finds it.
            state_.CommError = true;
            state_.ProfileBackupNeeded = false;
            wizard_.InsertTaskList(IconRunning, BackupStepText, "");
            wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
            wizard_.InsertTaskList(
                IconError,
                WithMarkers(wizard_.GetText(Msg::ProfileChoiceOpen), {Utf8Of(BackupPath), Utf8Of(report_.dcCopy)}), "");
            wizard_.ResetStage();
            return;
        }
    }
    if (found == Lookup::Usable) {  // kept as it is on disk
        if (state_.CommError)
            ReportBackupFailure(Msg::BackupFailed);
        else
            wizard_.SetTaskStatus(wizard_.GetText(Msg::Done));
        return;
    }
    if (found == Lookup::BlockZeroUnread) {
        state_.ProfileBackupNeeded = true;  // unknown profile: assume there is one to keep
        wizard_.InsertTaskList(IconRunning, BackupStepText, "");
        ReportBackupFailure(Msg::BackupFailed);
        return;
    }
    ProfileBlocks.clear();  // a new backup inherits no rows of a file it replaces

    std::copy_n(blockZero_.begin() + HeaderBlockOffset, 16, ProfileHeader.begin());
    ProfileHeader[16] = SumOf(std::span(ProfileHeader).first<16>());
    // The new file must carry this DC's digits, not those of a file it replaces.
    SetConnectedDigits();

    const ProfileSpan span = LocateProfile(HeaderPointers(), image_.MemorySize);
    UseSpan(span);
    if (span.empty) {
        state_.ProfileBackupNeeded = false;
        return;
    }
    state_.ProfileBackupNeeded = true;
    wizard_.InsertTaskList(IconRunning, BackupStepText, "");
    if (span.outOfRange) {  // pointers no profile table can hold
        ReportBackupFailure(Msg::BackupFailed);
        return;
    }
    if (!ReadProfileBlocks(ProfileBlocks, span.firstBlockLine, ProfileBlockCount) || state_.CommError) {
        ReportBackupFailure(Msg::BackupFailed);
        return;
    }
    // A damaged file or another DC's under this DC's name may be the only copy of
    // somebody's dives: it is set aside, never written over. One that holds no
    // profile has nothing to lose.
    const bool foreign = found == Lookup::Unreadable || found == Lookup::OtherDc;
    if ((foreign && !SetBackupAside()) || !SaveBackupFile())
        ReportBackupFailure(Msg::BackupNotSaved);
    else
        wizard_.SetTaskStatus(wizard_.GetText(Msg::Done));
}

bool ProfileKeeper::ReadProfileBlocks(BlockTable& table, int firstLine, int count) {
    int line = firstLine;
    for (int j = 1; j <= count; ++j) {
        wizard_.SetTaskStatus(PercentText(j, count));
        BlockRow& row = table[j - 1];
        row[0] = static_cast<std::int16_t>(line - ProfileAreaFirstLine);
        const auto block = link_.ReadMemoryBlock(line);
        if (state_.CommError || !block) {
            state_.CommError = true;
            return false;
        }
        unsigned sum = 0;
        for (std::size_t i = 0; i < block->size(); ++i) {
            row[i + 1] = (*block)[i];
            sum += (*block)[i];
        }
        row[BlockTableColumns - 1] = static_cast<std::int16_t>(sum % 256);
        line += LinesPerBlock;
    }
    return true;
}

bool ProfileKeeper::SaveBackupFile() {
    return SaveFile(BackupPath, EncodeBackup(ProfileHeader, SerialDigits, ProfileBlocks));
}

bool ProfileKeeper::SaveFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    if (!WriteFileDurably(path, bytes, writeObserver_).ok) return false;
    // Only what can be read back counts as saved.
    const auto stored = ReadWholeFile(path, BackupFileSize);
    return stored && *stored == bytes;
}

void ProfileKeeper::UseContent(BackupContent content, const ProfileSpan& span) {
    ProfileHeader = content.header;
    SerialDigits = content.digits;
    ProfileBlocks = std::move(content.blocks);
    UseSpan(span);
}

void ProfileKeeper::ReportBackupFailure(std::int32_t why) {
    state_.CommError = true;
    // No code goes out after a failed backup, so the DC keeps its profile: the recovery
    // at Close is offered only for a backup file that exists.
    std::error_code ec;
    if (BackupPath.empty() || !std::filesystem::exists(BackupPath, ec)) state_.ProfileBackupNeeded = false;
    wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
    wizard_.InsertTaskList(IconError, TextWith(why, folder_), "");
    wizard_.ResetStage();
}

void ProfileKeeper::DeleteBackupFile() {
    if (BackupPath.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(BackupPath, ignored);
}

void ProfileKeeper::SendClock() {
    const LocalTime now = pump_.localTime();
    link_.SetClock(FormatClockDate(now), FormatClockTime(now), ClockArgument);
}

}  // namespace vor
