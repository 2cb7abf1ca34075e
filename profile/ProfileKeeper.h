#pragma once
// The DC's profile: read out before an update, kept in memory and in a backup file,
// written back afterwards with a read-back check, and recovered from the file at
// close when a write-back is still pending.
//
// Contract: a backup is reported as good only when the file under BackupPath holds
// exactly what is in memory (written atomically, read back and compared); otherwise
// CommError is set so no code is sent. The backup file is deleted only after a
// write-back whose header and every block read back equal; a file that must not be
// written back any more (given up, not the connected DC's, older than the DC's own
// profile) is set aside under another name, never deleted.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "session/BlockTable.h"
#include "link/CommModule.h"
#include "platform/EventPump.h"
#include "profile/BackupFolder.h"
#include "profile/BackupFormat.h"
#include "profile/DcLock.h"
#include "profile/DurableFile.h"
#include "profile/ProfileLocation.h"
#include "session/ClockArgument.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

// What became of the DC's profile in an attempt, for the attempt's outcome.
enum class WriteBackEnd { None, Verified, Failed };

struct ProfileReport {
    WriteBackEnd writeBack = WriteBackEnd::None;  // the last write-back of the attempt
    std::filesystem::path backupFile;             // the connected DC's; empty while block 0 is unread
    std::filesystem::path setAside;               // the last backup set aside in the attempt
    std::filesystem::path dcCopy;                 // what the DC held while it differed from its backup
    bool choiceOpen = false;                      // nobody chose between that and the backup
    // A saved profile that failed its check: never written into the DC, never deleted.
    std::filesystem::path damagedFile;  // where it lies now (set aside, or where it was)
    std::string damage;                 // what was wrong with it
    // A verified write-back whose backup file could not be removed, and why.
    std::filesystem::path backupLeft;
    std::string backupLeftWhy;
    bool dcHeldElsewhere = false;  // another run holds the DC: its backup is not this run's
};

// What the profile code needs of the loaded firmware image.
// A saved profile of the connected DC, as --info lists it.
struct SavedProfileFile {
    std::filesystem::path path;
    bool pending = false;  // the backup that waits for a write-back
};

enum class RestoreEnd {
    Restored,  // in the DC, every block read back equal
    DcUnread,  // the DC did not answer: nothing changed
    Refused,   // not a usable backup of this DC: nothing changed
    Declined,  // the diver said No: nothing written
    NotSaved,  // what the DC holds could not be saved first: nothing written
    Failed,    // the write did not complete: the file waits as the DC's pending backup
};

struct ProfileImageFacts {
    int ModelNumber = 0;   // names the backup file
    int MemorySize = 512;  // the DC's size class: pointer form and profile area
};

class ProfileKeeper {
public:
    // `image` is read at each operation: it may be filled after construction.
    ProfileKeeper(CommModule& link, WizardServices& wizard, WizardState& state, const ProfileImageFacts& image,
                  EventPump& pump, BackupFolders folders);
    ProfileKeeper(const ProfileKeeper&) = delete;
    ProfileKeeper& operator=(const ProfileKeeper&) = delete;

    // Reads the DC's profile into memory and the backup file (or loads a usable backup).
    void BackupProfile();
    // Reads block 0, identifies the DC, loads its backup file; true when usable.
    bool GetBackupProfile();
    // Writes the profile in memory back into the DC and verifies it by reading it back.
    void RestoreProfile();
    // Close while a write-back is pending: asks, guides the user, retries the write-back.
    void ProfileRecovering();
    // What became of the profile since the attempt started (the recovery at close
    // belongs to the attempt it finishes).
    ProfileReport report() const;
    void StartAttempt() { report_ = {}; }
    // The folder new backups go to.
    const std::filesystem::path& folder() const { return folders_.primary; }
    // Lets go of the DC's lock, which this run took when it learnt the serial number.
    void ReleaseDc() { dcLock_.reset(); }

    // The connected DC's serial number as its backup file is named; empty while block 0
    // has not been read.
    std::string ConnectedSerial() const { return BackupPath.empty() ? std::string() : serialText_; }

    // ---- the profile outside an update (the terminal's --info, --backup, --restore) ----
    // Reads block 0: the DC's serial number and its backup's name. False when unread.
    bool ReadDcSerial();
    // This DC's saved profiles in every backup folder: the pending backup first, then
    // set-aside and saved copies by name. After ReadDcSerial.
    std::vector<SavedProfileFile> SavedFilesOfDc() const;
    // What the DC holds, read whole and saved durably to `file` (empty: a dated name in
    // the backup folder), read back and compared. The file, or nothing with a row why.
    std::optional<std::filesystem::path> SaveDcProfileAs(std::filesystem::path file);
    // Writes the saved profile in `file` into the DC as a write-back does, once it has
    // proven to be this DC's and what the DC holds has been saved aside.
    RestoreEnd RestoreFromFile(const std::filesystem::path& file);

    // Sees every step of a backup-file write; returning false fails it (for tests and
    // the fault sweep).
    void setWriteObserver(WriteObserver observer) { writeObserver_ = std::move(observer); }

    static constexpr int HeaderLine = 4;                // line of block-0 bytes 64..79
    static constexpr int HeaderBlockOffset = 64;        // block-0 bytes 64..79: the header
    static constexpr int SerialBlockOffset = 10;        // block-0 bytes 10..12: the serial number
    static constexpr std::size_t SerialDigitCount = 6;  // digits that identify a backup's DC
    static constexpr std::uint8_t ProfileBlockCode = Cmd::Block1;
    static constexpr double HeaderSettleSeconds = 2.0;    // after the header line write
    static constexpr double ReadBackSettleSeconds = 1.0;  // after the block-0 read-back
    // Blocks the DC may refuse as blocks; from them on the profile goes line by line.
    static constexpr int LineFallbackAddressA = 3072;
    static constexpr int LineFallbackAddressB = 3080;

private:
    // ---- the in-memory backup ----
    BlockTable ProfileBlocks;            // col 0 = first line - 256, 1..128 bytes, 129 check byte
    ProfileHeaderBytes ProfileHeader{};  // block-0 bytes 64..79 and their sum
    SerialDigitBytes SerialDigits{};     // six serial digits, one per byte, then zeros
    std::int32_t SerialNumber = 0;
    std::filesystem::path BackupPath;  // the connected DC's backup file
    int ProfileStartLine = 0;
    int ProfileEndLine = 0;
    int ProfileBlockCount = 0;

    // Why a backup file is or is not usable.
    enum class Lookup {
        Usable,
        BlockZeroUnread,  // block 0 could not be read: nothing is known about the DC
        NoFile,
        Damaged,        // failed its check: set aside (BackupPath then free) or, failing that, left in place
        EmptyProfile,   // stored pointers equal
        OtherDc,        // stored serial digits differ
        Superseded,     // the DC holds another, non-empty profile: newer dives than the file
        HeldElsewhere,  // another run holds the DC's lock: nothing more is sent, its files are not ours
    };
    // Holds the lock of the DC that BackupPath names; false when another run holds it.
    bool HoldConnectedDc();
    Lookup LookUpBackup();
    // The DC's saved profiles named `name`, in the folders' order. Past the first, each is
    // set aside: one DC, one pending backup.
    std::optional<std::filesystem::path> FindSavedProfile(const std::string& name);
    // A file that failed its check, set aside and named; false when it stays in place.
    bool SetDamagedAside(const std::string& damage);
    // ReadMemoryBlock leaving CommError as the read would, but a failure earlier in
    // the attempt stays set.
    std::optional<MemoryBlock> ReadBlock(int line);
    void SetConnectedDigits();
    // The connected DC's six serial digits, as a backup of it carries them.
    SerialDigitBytes ConnectedDigits() const;
    // Block-0 bytes 64..79 of the DC as last read, with their sum: what its backup's header holds.
    ProfileHeaderBytes DcHeader() const;
    void UseSpan(const ProfileSpan& span);
    bool ReadProfileBlocks(BlockTable& table, int firstLine, int count);
    bool SaveBackupFile();
    bool SaveFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
    void UseContent(BackupContent content, const ProfileSpan& span);
    bool DcHoldsOtherProfile() const;
    void ReportBackupFailure(std::int32_t why);
    // Ends the backup step before anything is sent or saved: the DC keeps its profile.
    void StopBeforeBackup(const std::string& why);
    // After a verified write-back: the backup and its digest go; a failure is reported.
    void DeleteBackupFile();
    // Moves the file at BackupPath aside with a task-log row naming the new file.
    std::optional<std::filesystem::path> SetBackupAside();
    // The DC holds another profile than the backup loaded from BackupPath: what it
    // holds is saved to a file of its own, then a person chooses which one it keeps.
    // KeepDc has set the backup aside; Open changed nothing.
    enum class Choice { UseSaved, KeepDc, Open };
    Choice ChooseBetweenProfiles();
    // What the DC holds now, read whole into `copy` and saved under a set-aside name.
    std::optional<std::filesystem::path> SaveDcCopy(BackupContent& copy, ProfileSpan& span,
                                                    const std::filesystem::path& file);
    // The name the connected DC's backup takes in the folder new backups go to.
    std::filesystem::path NewBackupPath() const;
    std::string RestoreQuestion(const std::filesystem::path& file, int blocks, const std::filesystem::path& dcCopy,
                                int dcBlocks);
    std::string ChoiceQuestion(const std::filesystem::path& dcCopy, int dcBlocks);
    std::string TextWith(std::int32_t message, const std::filesystem::path& path);
    // Where the connected DC's backup lies (it may be another folder than new ones go to).
    std::filesystem::path BackupFolderInUse() const {
        return BackupPath.empty() ? folders_.primary : BackupPath.parent_path();
    }
    bool CheckWrittenBlocks();
    void FailWriteBack(std::int32_t why);
    // ProfileRecovering once the user said Yes; ends when the loop is left.
    void RecoverWithUser(const std::string& caption);
    void SendClock();
    bool WriteProfileBlocks(int& failedBlock);
    void WriteLinesFrom(int firstBlock);
    bool WriteAndVerifyHeader();
    std::string InstructionText();

    CommModule& link_;
    WizardServices& wizard_;
    WizardState& state_;
    const ProfileImageFacts& image_;
    EventPump& pump_;
    BackupFolders folders_;
    std::string serialText_ = SerialText(0);  // the connected DC's, at least six digits
    WriteObserver writeObserver_;
    ProfileReport report_;
    MemoryBlock blockZero_{};         // the DC's block 0, as the last lookup read it
    std::string damageRow_;           // the task-log row of the last damaged file
    std::unique_ptr<DcLock> dcLock_;  // of the DC last identified, until the run ends
    std::string heldText_;            // why the DC is another run's, when it is
    std::string saveError_;           // the system's reason of the last file that could not be saved
    // The backup folder, with the system's reason when a file could not be saved there.
    std::string FolderAndReason(const std::filesystem::path& where) const;
};

}  // namespace vor
