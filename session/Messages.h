#pragma once
// Every message number the program looks up in the language database, named once.
// The texts are in resources/messages.tsv (one row per number, every language);
// AllMessages lists each number below, so a check can walk them all.

#include <array>
#include <cstdint>

namespace vor::Msg {

// The window
constexpr std::int32_t CloseCaption = 141;    // the Close button
constexpr std::int32_t FrameCaption = 352;    // title of the instruction frame
constexpr std::int32_t PortBoxCaption = 605;  // caption of the interface box
constexpr std::int32_t TimeColumn = 664;      // task-log column headers
constexpr std::int32_t StatusColumn = 683;
constexpr std::int32_t EventColumn = 801;
constexpr std::int32_t BackCaption = 799;  // the Back and Next buttons
constexpr std::int32_t NextCaption = 800;
constexpr std::int32_t Title = 820;  // the program's title

// Task-log statuses; Failed is also the caption of failure boxes
constexpr std::int32_t Done = 777;    // a running step finished
constexpr std::int32_t Failed = 280;  // a running step failed

// Port search and the interface box
constexpr std::int32_t CableNotFound = 593;  // ends without punctuation: the caller adds "."
constexpr std::int32_t CheckCable = 802;
constexpr std::int32_t NoSerialDriver = 901;  // each finding comes with its help text
constexpr std::int32_t NoSerialDriverHelp = 902;
constexpr std::int32_t NoPermission = 903;  // %1: the port
constexpr std::int32_t NoPermissionHelp = 904;
constexpr std::int32_t PortHeld = 905;  // %1: the port, %2: the programs that hold it
constexpr std::int32_t PortHeldHelp = 906;
constexpr std::int32_t PortOpenFailed = 907;  // %1: the port
constexpr std::int32_t PortOpenFailedHelp = 908;
constexpr std::int32_t RetryOrQuit = 909;    // how OK and Cancel work
constexpr std::int32_t StaleLock = 930;      // %1: the port, %3: the lock file
constexpr std::int32_t StaleLockHelp = 931;  // %3: the lock file
constexpr std::int32_t PortNameHelp = 940;   // the port named with --port is no device
// The interface box on Windows, which cannot name the program that holds a port
constexpr std::int32_t PortInUse = 950;  // %1: the port
constexpr std::int32_t PortInUseHelp = 951;
constexpr std::int32_t PortAccessDenied = 952;  // %1: the port
constexpr std::int32_t PortAccessDeniedHelp = 953;
constexpr std::int32_t NoSuchPort = 954;  // %1: the port named
constexpr std::int32_t NoSuchPortHelp = 955;
constexpr std::int32_t ReservedPortName = 956;  // %1: the name; PortNameHelp follows
constexpr std::int32_t NotSerialPort = 957;     // %1: the name; PortNameHelp follows

// Loading the firmware image
constexpr std::int32_t LoadingImage = 776;
constexpr std::int32_t CheckingImage = 778;
constexpr std::int32_t ImageDamaged = 779;  // followed by the error code and "!"
constexpr std::int32_t Version = 781;       // "firmware version" in the version rows

// The update and the upload
constexpr std::int32_t NoAnswer = 150;      // the DC did not answer
constexpr std::int32_t CheckingDc = 782;    // identity check at the start of the update
constexpr std::int32_t NotForThisDc = 783;  // ends in a blank: the device name follows directly
constexpr std::int32_t UpdateFirst = 784;   // last part of the too-old line
constexpr std::int32_t AlreadyCurrent = 785;
constexpr std::int32_t UpdateSucceeded = 786;
constexpr std::int32_t UploadingCode = 787;      // the one section of a one-section image
constexpr std::int32_t UploadingSection1 = 788;  // section 1 of a two-section image
constexpr std::int32_t UploadingSection2 = 789;  // section 2 of a two-section image
constexpr std::int32_t DataRefused = 790;        // the DC refused code or profile blocks
constexpr std::int32_t CheckingNewCode = 792;
constexpr std::int32_t WrongDcAfterRestart = 793;
constexpr std::int32_t NewCodeVerified = 794;
constexpr std::int32_t NewCodeNotIn = 920;  // %1: what the DC reports, %2: what the image needs
constexpr std::int32_t WaitingForRestart = 803;
constexpr std::int32_t UpdateFailed = 814;
constexpr std::int32_t ProfileOnClose = 815;     // the profile is written back when the wizard closes
constexpr std::int32_t SleepNotConfirmed = 932;  // the final deep-sleep command was not acknowledged

// The profile: backup, write-back and recovery
constexpr std::int32_t BackupFailed = 797;    // the profile could not be read out
constexpr std::int32_t BackupNotSaved = 916;  // %1: the folder tried
constexpr std::int32_t RestoreStep = 796;
constexpr std::int32_t CheckStep = 915;  // reading every written block back
constexpr std::int32_t VerifyFailed = 816;
constexpr std::int32_t OtherDcBackupKept = 917;  // %1: the pending backup file
constexpr std::int32_t BackupSetAside = 918;     // %1: the set-aside file
constexpr std::int32_t NewerProfileInDc = 919;
// %1..%3: the saved file, its date and size; %4..%6 the same of the DC's own profile's file.
// Laid out in paragraphs.
constexpr std::int32_t ProfileChoiceQuestion = 921;
constexpr std::int32_t UseSavedProfile = 922;  // the choice's two buttons
constexpr std::int32_t KeepDcProfile = 923;
constexpr std::int32_t DcProfileSaved = 924;     // %1: the file that holds what the DC held
constexpr std::int32_t ProfileChoiceOpen = 925;  // %1, %2: both files
// %1: a saved profile that failed its check, %2: what was wrong, %3: where it was set aside
constexpr std::int32_t BackupDamaged = 926;
constexpr std::int32_t BackupDamagedKept = 927;          // as above, %3: why it could not be set aside
constexpr std::int32_t OtherSavedProfileSetAside = 928;  // %1: a second backup of the DC, %2: set aside as
constexpr std::int32_t BackupNotRemoved = 929;           // %1: the verified backup left behind, %2: why

// The profile outside an update (--info, --backup, --restore)
constexpr std::int32_t DcSummary = 933;          // %1: the model, %2: the serial number, %3: the firmware
constexpr std::int32_t ImageWouldUpdate = 934;   // %1: the image's version
constexpr std::int32_t ImageSections = 960;      // %1: the code sections it sends, "1", "2" or "1, 2"
constexpr std::int32_t ImageCurrent = 935;       // %1: the image's version
constexpr std::int32_t ImageNeedsNewerDc = 936;  // %1: the image's version, %2: the DC firmware it needs
constexpr std::int32_t ImageOlderThanDc = 937;   // %1: the image's version
constexpr std::int32_t SavedFile = 938;          // %1: the file, %2: its date, %3: its size in bytes
constexpr std::int32_t PendingFile = 939;        // as SavedFile: the backup that waits for a write-back
constexpr std::int32_t NoSavedFiles = 941;       // %1: the folder looked in first
constexpr std::int32_t RestoreQuestion = 942;    // %1..%3: the file, its date and size; %4..%6: the DC's copy
constexpr std::int32_t RestoreRefused = 943;     // %1: the file, %2: why
constexpr std::int32_t SaveNameTaken = 944;      // %1: the file
constexpr std::int32_t RecoveryCaption = 817;
constexpr std::int32_t RecoveryQuestion = 913;  // %1: the folder; the one text laid out in paragraphs
// The recovery steps 1. to 6.; the wake step (3.) has three unnumbered lines
constexpr std::int32_t RecoveryUnplug = 640;
constexpr std::int32_t RecoveryClip = 654;
constexpr std::int32_t RecoveryWake = 804;
constexpr std::int32_t RecoveryWake2 = 805;
constexpr std::int32_t RecoveryWake3 = 806;
constexpr std::int32_t RecoveryWake4 = 807;
constexpr std::int32_t RecoveryStep4 = 808;
constexpr std::int32_t RecoveryStep5 = 809;
constexpr std::int32_t RecoveryStep6 = 914;  // %1: the folder

// Saving the task log
constexpr std::int32_t SaveLogAction = 910;   // the context-menu entry
constexpr std::int32_t SaveLogFailed = 911;   // %1: why
constexpr std::int32_t SaveLogCaption = 912;  // the file dialog's caption

inline constexpr std::array AllMessages{
    CloseCaption,
    FrameCaption,
    PortBoxCaption,
    TimeColumn,
    StatusColumn,
    EventColumn,
    BackCaption,
    NextCaption,
    Title,
    Done,
    Failed,
    CableNotFound,
    CheckCable,
    NoSerialDriver,
    NoSerialDriverHelp,
    NoPermission,
    NoPermissionHelp,
    PortHeld,
    PortHeldHelp,
    PortOpenFailed,
    PortOpenFailedHelp,
    RetryOrQuit,
    StaleLock,
    StaleLockHelp,
    PortNameHelp,
    PortInUse,
    PortInUseHelp,
    PortAccessDenied,
    PortAccessDeniedHelp,
    NoSuchPort,
    NoSuchPortHelp,
    ReservedPortName,
    NotSerialPort,
    LoadingImage,
    CheckingImage,
    ImageDamaged,
    Version,
    NoAnswer,
    CheckingDc,
    NotForThisDc,
    UpdateFirst,
    AlreadyCurrent,
    UpdateSucceeded,
    UploadingCode,
    UploadingSection1,
    UploadingSection2,
    DataRefused,
    CheckingNewCode,
    WrongDcAfterRestart,
    NewCodeVerified,
    NewCodeNotIn,
    WaitingForRestart,
    UpdateFailed,
    ProfileOnClose,
    BackupFailed,
    BackupNotSaved,
    RestoreStep,
    CheckStep,
    VerifyFailed,
    OtherDcBackupKept,
    BackupSetAside,
    NewerProfileInDc,
    ProfileChoiceQuestion,
    UseSavedProfile,
    KeepDcProfile,
    DcProfileSaved,
    ProfileChoiceOpen,
    BackupDamaged,
    BackupDamagedKept,
    OtherSavedProfileSetAside,
    BackupNotRemoved,
    SleepNotConfirmed,
    DcSummary,
    ImageWouldUpdate,
    ImageSections,
    ImageCurrent,
    ImageNeedsNewerDc,
    ImageOlderThanDc,
    SavedFile,
    PendingFile,
    NoSavedFiles,
    RestoreQuestion,
    RestoreRefused,
    SaveNameTaken,
    RecoveryCaption,
    RecoveryQuestion,
    RecoveryUnplug,
    RecoveryClip,
    RecoveryWake,
    RecoveryWake2,
    RecoveryWake3,
    RecoveryWake4,
    RecoveryStep4,
    RecoveryStep5,
    RecoveryStep6,
    SaveLogAction,
    SaveLogFailed,
    SaveLogCaption,
};

}  // namespace vor::Msg
