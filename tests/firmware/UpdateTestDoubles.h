#pragma once
// Test doubles of the update and upload tests: a scripted DC on the fake serial
// port, a recording wizard, a scripted profile keeper, and one journal that all
// three write into so tests can check the order of what happened.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/FakeSerialPort.h"
#include "firmware/ProfileOperations.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor::test {

using Journal = std::vector<std::string>;

// Entries of `journal` that start with `prefix`.
std::vector<std::string> Entries(const Journal& journal, const std::string& prefix);
// Index of the first entry equal to `entry` at or after `from`; -1 when absent.
int IndexOf(const Journal& journal, const std::string& entry, int from = 0);

// Answers the program's writes like a DC would. Journal entries: "DC 84", "DC BA",
// "DC A8 99", "DC B5 0080" (announcement), "DC data B5 0080", "DC B6 1234",
// "DC 97", "DC clock". A closed section makes the DC restart into the identity
// and revision the test set for afterwards.
class ScriptedDc {
public:
    static constexpr double ReplyDelay = 0.005;

    ScriptedDc(FakeSerialPort& port, Journal& journal);

    std::string identity = "VOR FW1E 0012345";
    std::uint8_t revision = 1;
    std::optional<std::string> identityAfterClose1;  // after an acknowledged 0xB6
    std::optional<std::string> identityAfterClose2;  // after an acknowledged 0xB9
    std::optional<std::uint8_t> revisionAfterClose2;

    int identityAnswersLeft = -1;               // -1: always answers
    std::vector<std::size_t> identityChunks;    // split sizes of the identity reply
    bool ackDeepSleep = true;
    std::set<int> silentDataAt;                 // block addresses whose data is never acknowledged
    std::set<std::uint8_t> silentWords;         // closing-word codes never acknowledged

private:
    void OnWrite(std::span<const std::uint8_t> bytes);
    void Ack() { port_.deliver({0x5A}, ReplyDelay); }

    FakeSerialPort& port_;
    Journal& journal_;
    std::uint8_t lastBlockCode_ = 0;
    int lastAddress_ = -1;
};

// Task log rows and wizard calls. GetText(n) gives "T<n>".
class RecordingWizard : public WizardServices {
public:
    struct Row {
        int icon;
        std::string text;
        std::string status;
        bool operator==(const Row&) const = default;
    };

    explicit RecordingWizard(Journal& journal) : journal_(journal) {}

    void InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) override;
    void SetTaskStatus(const std::string& s) override;
    void ResetStage() override;
    std::string GetText(std::int32_t number) override { return "T" + std::to_string(number); }
    BoxAnswer MessageBox(BoxIcon, BoxButtons, const std::string&, const std::string& text) override;
    int SetProcessPriority(int priorityClass) override;
    void CloseProgram() override { journal_.push_back("CloseProgram"); }

    std::vector<Row> rows;
    std::vector<std::string> statuses;  // every status set on the last row, in order
    int resetStageCalls = 0;
    std::string throwOnStatus;          // SetTaskStatus with this text throws std::runtime_error

private:
    Journal& journal_;
};

// Stands in for the profile keeper.
class ScriptedProfile : public ProfileOperations {
public:
    ScriptedProfile(WizardState& state, WizardServices& wizard, Journal& journal)
        : state_(state), wizard_(wizard), journal_(journal) {}

    bool backupFails = false;   // the read-out fails: CommError, ResetStage
    bool profileEmpty = false;  // nothing to save: ProfileBackupNeeded cleared
    bool savedProfileFound = false;

    void BackupProfile() override;
    bool GetBackupProfile() override;
    void RestoreProfile() override;

private:
    WizardState& state_;
    WizardServices& wizard_;
    Journal& journal_;
};

}  // namespace vor::test
