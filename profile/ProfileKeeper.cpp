#include "profile/ProfileKeeper.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "link/ClockRecord.h"
#include "profile/BackupAside.h"
#include "profile/BackupCheck.h"
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

}  // namespace

ProfileKeeper::ProfileKeeper(CommModule& link, WizardServices& wizard, WizardState& state,
                             const ProfileImageFacts& image, EventPump& pump, BackupFolders folders)
    : link_(link), wizard_(wizard), state_(state), image_(image), pump_(pump), folders_(std::move(folders)) {}

std::optional<MemoryBlock> ProfileKeeper::ReadBlock(int line) {
    const bool earlierFailure = state_.CommError;
    state_.CommError = false;
    auto block = link_.ReadMemoryBlock(line);
    state_.CommError = earlierFailure || !block;
    return block;
}

void ProfileKeeper::SetConnectedDigits() { SerialDigits = ConnectedDigits(); }

SerialDigitBytes ProfileKeeper::ConnectedDigits() const {
    SerialDigitBytes digits{};
    for (std::size_t i = 0; i < SerialDigitCount; ++i) digits[i] = static_cast<std::uint8_t>(serialText_[i] - '0');
    return digits;
}

ProfileHeaderBytes ProfileKeeper::DcHeader() const {
    ProfileHeaderBytes header{};
    std::copy_n(blockZero_.begin() + HeaderBlockOffset, 16, header.begin());
    header[16] = ByteSum(std::span(header).first<16>());
    return header;
}

void ProfileKeeper::UseSpan(const ProfileSpan& span) {
    ProfileStartLine = span.startLine;
    ProfileEndLine = span.endLine;
    if (!span.empty && !span.outOfRange) ProfileBlockCount = span.blockCount;
}

bool ProfileKeeper::ReadDcSerial() {
    // Serial and path decoded from a failed read would name some other DC's file.
    const auto block = ReadBlock(0);
    if (!block) return false;
    blockZero_ = *block;
    SerialDigits.fill(0);
    const auto& b = blockZero_;
    SerialNumber = PackedDecimal(b[SerialBlockOffset]) * 10000 + PackedDecimal(b[SerialBlockOffset + 1]) * 100 +
                   PackedDecimal(b[SerialBlockOffset + 2]);
    serialText_ = SerialText(SerialNumber);
    BackupPath = NewBackupPath();
    return true;
}

std::filesystem::path ProfileKeeper::NewBackupPath() const {
    return folders_.primary / BackupFileName(image_.ModelNumber, SerialNumber);
}

ProfileKeeper::Lookup ProfileKeeper::LookUpBackup() {
    if (!ReadDcSerial()) return Lookup::BlockZeroUnread;
    const std::string name = BackupFileName(image_.ModelNumber, SerialNumber);
    if (!HoldConnectedDc()) {
        BackupPath = folders_.primary / name;
        return Lookup::HeldElsewhere;
    }
    const auto saved = FindSavedProfile(name);
    BackupPath = saved.value_or(folders_.primary / name);
    if (!saved) {
        SetConnectedDigits();
        return Lookup::NoFile;
    }
    CheckedBackup checked = CheckBackupFile(BackupPath, image_.MemorySize);
    if (!checked.content) {
        // Never trusted, never deleted: a new backup may take the name once it is aside.
        if (SetDamagedAside(checked.damage)) BackupPath = folders_.primary / name;
        SetConnectedDigits();
        return Lookup::Damaged;
    }
    const ProfileSpan span = checked.span;
    UseContent(std::move(*checked.content), span);
    if (span.empty) return Lookup::EmptyProfile;
    // The check has made bytes 6..16 zero: the whole arrays compare the six digits.
    if (SerialDigits != ConnectedDigits()) return Lookup::OtherDc;
    return DcHoldsOtherProfile() ? Lookup::Superseded : Lookup::Usable;
}

std::optional<std::filesystem::path> ProfileKeeper::FindSavedProfile(const std::string& name) {
    std::vector<std::filesystem::path> found;
    for (const auto& folder : folders_.all()) {
        std::error_code ec;
        const auto type = std::filesystem::symlink_status(folder / name, ec).type();
        if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::unknown)
            found.push_back(folder / name);
    }
    if (found.empty()) return std::nullopt;
    for (std::size_t i = 1; i < found.size(); ++i) {
        std::string error;
        if (const auto moved = vor::SetBackupAside(found[i], pump_.localTime(), error))
            wizard_.InsertTaskList(IconInfo,
                                   WithMarkers(wizard_.GetText(Msg::OtherSavedProfileSetAside),
                                               {PrintableText(Utf8Of(found[i])), PrintableText(Utf8Of(*moved))}),
                                   "");
    }
    return found.front();
}

bool ProfileKeeper::SetDamagedAside(const std::string& damage) {
    report_.damage = damage;
    report_.damagedFile = BackupPath;
    std::string error;
    const auto moved = vor::SetBackupAside(BackupPath, pump_.localTime(), error);
    if (moved) report_.damagedFile = *moved;
    const std::string where = PrintableText(moved ? Utf8Of(*moved) : error);
    damageRow_ = WithMarkers(wizard_.GetText(moved ? Msg::BackupDamaged : Msg::BackupDamagedKept),
                             {PrintableText(Utf8Of(BackupPath)), damage, where});
    wizard_.InsertTaskList(IconError, damageRow_, "");
    return moved.has_value();
}

// Block 0 of the DC is the one the lookup read. A DC whose update erased its
// profile (or that never had one) has nothing to lose; one whose header differs from
// the file's and still locates a profile has been dived since the file was saved.
bool ProfileKeeper::DcHoldsOtherProfile() const {
    const auto dcHeader = std::span(blockZero_).subspan<HeaderBlockOffset, 16>();
    if (std::equal(dcHeader.begin(), dcHeader.end(), ProfileHeader.begin())) return false;
    const ProfileSpan own =
        LocateProfile(std::span(blockZero_).subspan<HeaderBlockOffset + HeaderPointerOffset, 4>(), image_.MemorySize);
    return !own.empty && !own.outOfRange;
}

std::optional<std::filesystem::path> ProfileKeeper::SetBackupAside() {
    std::string error;
    const auto moved = vor::SetBackupAside(BackupPath, pump_.localTime(), error);
    if (!moved) saveError_ = error;
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
    if (found == Lookup::HeldElsewhere) wizard_.InsertTaskList(IconError, heldText_, "");
    if (found != Lookup::Superseded) return found == Lookup::Usable;
    return ChooseBetweenProfiles() == Choice::UseSaved;
}

void ProfileKeeper::BackupProfile() {
    saveError_.clear();
    Lookup found = LookUpBackup();
    if (found == Lookup::Superseded) {
        switch (ChooseBetweenProfiles()) {
        case Choice::UseSaved: found = Lookup::Usable; break;
        case Choice::KeepDc: found = Lookup::NoFile; break;  // a fresh backup of what the DC holds
        case Choice::Open:
            // Nothing is sent while nobody has chosen: the DC keeps what it holds and
            // the backup stays where the next run finds it.
            StopBeforeBackup(
                WithMarkers(wizard_.GetText(Msg::ProfileChoiceOpen), {Utf8Of(BackupPath), Utf8Of(report_.dcCopy)}));
            return;
        }
    }
    if (found == Lookup::HeldElsewhere) {
        StopBeforeBackup(heldText_);
        return;
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

    ProfileHeader = DcHeader();
    // The new file must carry this DC's digits, not those of a file it replaces.
    SetConnectedDigits();

    const ProfileSpan span = LocateProfile(HeaderPointers(ProfileHeader), image_.MemorySize);
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
    const bool foreign = found == Lookup::Damaged || found == Lookup::OtherDc;
    std::error_code ec;
    if ((foreign && std::filesystem::exists(std::filesystem::symlink_status(BackupPath, ec)) && !SetBackupAside()) ||
        !SaveBackupFile())
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
    // A digest of an earlier file must never judge this one: it goes first, and the
    // new one comes last, so a crash between leaves a file judged by its check bytes.
    std::error_code ec;
    std::filesystem::remove(DigestPathFor(path), ec);
    if (ec) {
        saveError_ = "remove " + Utf8Of(DigestPathFor(path).filename()) + ": " + ec.message();
        return false;
    }
    const WriteResult written = WriteFileDurably(path, bytes, writeObserver_);
    if (!written.ok) {
        saveError_ = written.error;
        return false;
    }
    // Only what can be read back counts as saved.
    const auto stored = ReadWholeFile(path, BackupFileSize);
    if (!stored || *stored != bytes) {
        saveError_ = "the file read back differs from what was written";
        return false;
    }
    const WriteResult digest = WriteBackupDigest(path, bytes, writeObserver_);
    if (!digest.ok) saveError_ = digest.error;
    return digest.ok;
}

std::string ProfileKeeper::FolderAndReason(const std::filesystem::path& where) const {
    const std::string folder = Utf8Of(where);
    return saveError_.empty() ? folder : folder + " (" + saveError_ + ")";
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
    wizard_.InsertTaskList(IconError, TextWith(why, FolderAndReason(folders_.primary)), "");
    wizard_.ResetStage();
}

void ProfileKeeper::StopBeforeBackup(const std::string& why) {
    state_.CommError = true;
    state_.ProfileBackupNeeded = false;
    wizard_.InsertTaskList(IconRunning, BackupStepText, "");
    wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
    wizard_.InsertTaskList(IconError, why, "");
    wizard_.ResetStage();
}

void ProfileKeeper::DeleteBackupFile() {
    if (BackupPath.empty()) return;
    std::error_code ec;
    std::filesystem::remove(BackupPath, ec);
    if (ec) {
        // The DC holds its profile; the file left behind must not be called pending.
        report_.backupLeft = BackupPath;
        report_.backupLeftWhy = ec.message();
        wizard_.InsertTaskList(IconInfo,
                               WithMarkers(wizard_.GetText(Msg::BackupNotRemoved),
                                           {PrintableText(Utf8Of(BackupPath)), PrintableText(ec.message())}),
                               "");
        return;
    }
    std::filesystem::remove(DigestPathFor(BackupPath), ec);  // without its backup it judges nothing
}

void ProfileKeeper::SendClock() {
    const LocalTime now = pump_.localTime();
    link_.SetClock(FormatClockDate(now), FormatClockTime(now), ClockArgument);
}

}  // namespace vor
