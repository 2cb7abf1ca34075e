#include "tests/firmware/UpdateTestDoubles.h"

#include <cstdio>
#include <stdexcept>

namespace vor::test {

namespace {
std::string Hex(int value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}
}  // namespace

std::vector<std::string> Entries(const Journal& journal, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& e : journal)
        if (e.rfind(prefix, 0) == 0) found.push_back(e);
    return found;
}

int IndexOf(const Journal& journal, const std::string& entry, int from) {
    for (std::size_t i = static_cast<std::size_t>(from); i < journal.size(); ++i)
        if (journal[i] == entry) return static_cast<int>(i);
    return -1;
}

ScriptedDc::ScriptedDc(FakeSerialPort& port, Journal& journal) : port_(port), journal_(journal) {
    port_.setPeer([this](std::span<const std::uint8_t> bytes) { OnWrite(bytes); });
}

void ScriptedDc::OnWrite(std::span<const std::uint8_t> bytes) {
    // Every transmission ends in the 0x00 the link appends; the length tells what it is.
    const std::size_t n = bytes.size();
    if (n == 130) {
        journal_.push_back("DC data " + Hex(lastBlockCode_, 2) + " " + Hex(lastAddress_, 4));
        if (!silentDataAt.contains(lastAddress_)) Ack();
        return;
    }
    if (n == 10) {
        journal_.push_back("DC clock");
        Ack();
        return;
    }
    const std::uint8_t code = bytes[0];
    if (n == 2 && code == 0x84) {
        journal_.push_back("DC 84");
        if (identityAnswersLeft == 0) return;
        if (identityAnswersLeft > 0) --identityAnswersLeft;
        std::vector<std::uint8_t> reply;
        reply.reserve(identity.size() + 2);  // also keeps GCC 12's -Warray-bounds quiet at -O2
        reply.push_back(0x00);
        reply.insert(reply.end(), identity.begin(), identity.end());
        reply.push_back(0x00);
        port_.deliverChunks(reply, identityChunks, ReplyDelay);
    } else if (n == 2 && code == 0xBA) {
        journal_.push_back("DC BA");
        port_.deliver({0x00, revision}, ReplyDelay);
    } else if (n == 2 && code == 0x97) {
        journal_.push_back("DC 97");
        Ack();
    } else if (n == 3 && code == 0xA8) {
        journal_.push_back("DC A8 " + Hex(bytes[1], 2));
        if (ackDeepSleep) Ack();
    } else if (n == 4 && (code == 0xB5 || code == 0xB7)) {
        lastBlockCode_ = code;
        lastAddress_ = bytes[1] * 256 + bytes[2];
        journal_.push_back("DC " + Hex(code, 2) + " " + Hex(lastAddress_, 4));
        Ack();
    } else if (n == 4 && code >= 0xB6 && code <= 0xB9) {
        journal_.push_back("DC " + Hex(code, 2) + " " + Hex(bytes[1] * 256 + bytes[2], 4));
        if (silentWords.contains(code)) return;
        Ack();
        if (code == 0xB6 && identityAfterClose1) identity = *identityAfterClose1;
        if (code == 0xB9 && identityAfterClose2) identity = *identityAfterClose2;
        if (code == 0xB9 && revisionAfterClose2) revision = *revisionAfterClose2;
    } else {
        journal_.push_back("DC unexpected " + Hex(code, 2));
    }
}

void RecordingWizard::InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) {
    rows.push_back({iconInd, s1, s2});
    journal_.push_back("row " + std::to_string(iconInd) + " " + s1);
}

void RecordingWizard::SetTaskStatus(const std::string& s) {
    if (!throwOnStatus.empty() && s == throwOnStatus) throw std::runtime_error("status refused");
    if (!rows.empty()) rows.back().status = s;
    statuses.push_back(s);
    journal_.push_back("status " + s);
}

void RecordingWizard::ResetStage() {
    ++resetStageCalls;
    journal_.push_back("ResetStage");
}

BoxAnswer RecordingWizard::MessageBox(BoxIcon, BoxButtons, const std::string&, const std::string& text) {
    journal_.push_back("box " + text);
    return BoxAnswer::Ok;
}

int RecordingWizard::SetProcessPriority(int priorityClass) {
    journal_.push_back("priority " + std::to_string(priorityClass));
    return priorityClass;
}

void ScriptedProfile::BackupProfile() {
    journal_.push_back("BackupProfile");
    if (backupFails) {
        wizard_.InsertTaskList(IconError, "backup failed", "");
        state_.CommError = true;
        wizard_.ResetStage();
    } else if (profileEmpty) {
        state_.ProfileBackupNeeded = false;
    }
}

bool ScriptedProfile::GetBackupProfile() {
    journal_.push_back("GetBackupProfile");
    return savedProfileFound;
}

void ScriptedProfile::RestoreProfile() {
    journal_.push_back("RestoreProfile");
    state_.CommError = false;
    state_.ProfileIntact = true;
}

}  // namespace vor::test
