#pragma once
// The profile operations the update sequence calls. The application wires the profile
// keeper behind them (flow/ProfileForUpdate.h); tests use fakes.

namespace vor {

class ProfileOperations {
public:
    virtual ~ProfileOperations() = default;
    // Reads the DC's profile into memory and the backup file (or loads a usable backup).
    virtual void BackupProfile() = 0;
    // Reads block 0, identifies the DC, loads its backup file; true when usable.
    virtual bool GetBackupProfile() = 0;
    // Writes the profile in memory back into the DC and verifies it.
    virtual void RestoreProfile() = 0;
};

}  // namespace vor
