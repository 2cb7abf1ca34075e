// Writing the saved profile back: blocks, then the header line, then a read-back of
// the header and of every block written.
#include <algorithm>

#include "profile/ProfileKeeper.h"
#include "session/Messages.h"
#include "session/ProgressText.h"

namespace vor {

void ProfileKeeper::RestoreProfile() {
    wizard_.InsertTaskList(IconRunning, wizard_.GetText(Msg::RestoreStep), "");
    state_.CommError = false;

    int failedBlock = 0;
    if (!WriteProfileBlocks(failedBlock)) {
        const int address = ProfileBlocks[failedBlock - 1][0];
        if (address == LineFallbackAddressA || address == LineFallbackAddressB) {
            state_.CommError = false;
            WriteLinesFrom(failedBlock);
        }
    }

    if (state_.CommError) {
        FailWriteBack(Msg::DataRefused);
    } else if (!WriteAndVerifyHeader()) {
        FailWriteBack(Msg::VerifyFailed);
    } else {
        wizard_.SetTaskStatus(wizard_.GetText(Msg::Done));
        // A block the DC acknowledged but stored otherwise, or lines that went to the
        // wrong place, show only here: the backup goes only when all of it is in.
        wizard_.InsertTaskList(IconRunning, wizard_.GetText(Msg::CheckStep), "");
        if (CheckWrittenBlocks()) {
            wizard_.SetTaskStatus(wizard_.GetText(Msg::Done));
            state_.ProfileIntact = true;
            report_.writeBack = WriteBackEnd::Verified;
            DeleteBackupFile();
        } else {
            FailWriteBack(Msg::VerifyFailed);
        }
    }
    SendClock();
}

void ProfileKeeper::FailWriteBack(std::int32_t why) {
    state_.ProfileIntact = false;
    report_.writeBack = WriteBackEnd::Failed;
    wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
    wizard_.InsertTaskList(IconError, wizard_.GetText(why), "");
    wizard_.ResetStage();
}

// Every block of the profile read back and compared with the backup.
bool ProfileKeeper::CheckWrittenBlocks() {
    for (int b = 1; b <= ProfileBlockCount; ++b) {
        wizard_.SetTaskStatus(PercentText(b, ProfileBlockCount));
        const BlockRow& row = ProfileBlocks[b - 1];
        const auto block = ReadBlock(row[0] + ProfileAreaFirstLine);
        if (!block) return false;
        for (std::size_t i = 0; i < block->size(); ++i)
            if ((*block)[i] != row[i + 1]) return false;
    }
    return true;
}

// False with failedBlock (1-based) set when a block write failed.
bool ProfileKeeper::WriteProfileBlocks(int& failedBlock) {
    for (int b = 1; b <= ProfileBlockCount; ++b) {
        wizard_.SetTaskStatus(PercentText(b, ProfileBlockCount));
        const BlockRow& row = ProfileBlocks[b - 1];
        link_.WriteCodeBlock(row[0], ProfileBlockCode, RowBytes(row));
        if (state_.CommError) {
            failedBlock = b;
            return false;
        }
    }
    return true;
}

// Line by line from firstBlock on. Each line goes to its own line number (address
// value + 256 + k), where the memory read finds it; a failed line does not stop the
// rest, CommError tells afterwards.
void ProfileKeeper::WriteLinesFrom(int firstBlock) {
    constexpr int LineBytes = 16;
    for (int i = firstBlock; i <= ProfileBlockCount; ++i) {
        wizard_.SetTaskStatus(PercentText(i, ProfileBlockCount));
        const BlockRow& row = ProfileBlocks[i - 1];
        for (int k = 0; k < LinesPerBlock; ++k) {
            MemoryLine line{};
            unsigned sum = 0;
            for (int n = 0; n < LineBytes; ++n) {
                const auto byte = static_cast<std::uint8_t>(row[static_cast<std::size_t>(LineBytes * k + n + 1)]);
                line[static_cast<std::size_t>(n)] = byte;
                sum += byte;
            }
            line[LineBytes] = static_cast<std::uint8_t>(sum % 256);
            const bool earlierFailure = state_.CommError;
            link_.WriteMemoryLine(row[0] + ProfileAreaFirstLine + k, line);
            state_.CommError = earlierFailure || state_.CommError;
        }
    }
}

// The header goes to line 4; the write-back counts only when block 0 reads back with
// the same 16 header bytes (the check byte is not compared).
bool ProfileKeeper::WriteAndVerifyHeader() {
    link_.WriteMemoryLine(HeaderLine, ProfileHeader);
    link_.WaitSeconds(HeaderSettleSeconds);
    // A read that failed proves nothing.
    const auto readBack = ReadBlock(0);
    link_.WaitSeconds(ReadBackSettleSeconds);
    if (!readBack) return false;
    return std::equal(ProfileHeader.begin(), ProfileHeader.begin() + 16, readBack->begin() + HeaderBlockOffset);
}

}  // namespace vor
