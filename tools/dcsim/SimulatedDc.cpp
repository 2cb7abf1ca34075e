#include "tools/dcsim/SimulatedDc.h"

#include <algorithm>
#include <cstdio>

namespace vor::sim {

namespace {

int Word(const Unit& unit) { return unit.bytes[1] * 256 + unit.bytes[2]; }

std::uint8_t SumOf(const std::uint8_t* bytes, int n) {
    unsigned sum = 0;
    for (int i = 0; i < n; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

bool IsCommand(UnitKind kind) { return DataLength(kind) == 0; }

constexpr std::uint8_t StrayByte = 0x00;  // what a line's noise most often leaves

// What follows an acknowledgement once it has left the DC.
enum class AfterReply { Nothing, Sleep, Restart };

}  // namespace

SimulatedDc::SimulatedDc(DcConfig config)
    : config_(std::move(config)),
      memory_(config_),
      framer_(config_.dropAfter),
      faults_(config_.faults, config_.seed),
      garbage_(config_.seed ^ 0x6A7BA6Eull),
      version_(config_.version),
      revision_(config_.revision) {}

std::string SimulatedDc::identityText() const {
    char serial[16];
    std::snprintf(serial, sizeof serial, "%07u", static_cast<unsigned>(config_.serial % 10000000u));
    std::string text = config_.model + " FW" + version_ + " " + serial;
    text.resize(16, ' ');
    return text;
}

// ---- time and modes ----

void SimulatedDc::enterMode(DcMode mode, double at) {
    mode_ = mode;
    framer_.reset();
    switch (mode) {
    case DcMode::PcScreen:
        pcScreenEndsAt_ = config_.pcScreenSeconds > 0 ? at + config_.pcScreenSeconds : DcConfig::Never;
        break;
    case DcMode::Asleep:
    case DcMode::Restarting:
        pressWakeAt_ = DcConfig::Never;
        autoWakeAt_ = DcConfig::Never;
        staged1_.clear();
        staged2_.clear();
        break;
    case DcMode::Awake: break;
    }
}

void SimulatedDc::advanceTo(double at) {
    now_ = std::max(now_, at);
    for (;;) {
        double next = DcConfig::Never;
        DcMode then = mode_;
        switch (mode_) {
        case DcMode::Restarting:
            next = restartEndsAt_;
            then = modeAfterRestart_;
            break;
        case DcMode::Asleep:
            next = std::min(pressWakeAt_, autoWakeAt_);
            then = DcMode::PcScreen;
            break;
        case DcMode::PcScreen:
            next = pcScreenEndsAt_;
            then = DcMode::Asleep;
            break;
        case DcMode::Awake: break;
        }
        if (next > now_) return;
        enterMode(then, next);
    }
}

void SimulatedDc::press(double at) {
    advanceTo(at);
    if (mode_ == DcMode::Asleep && pressWakeAt_ == DcConfig::Never) pressWakeAt_ = at + config_.wakeDelay;
    advanceTo(at);
}

void SimulatedDc::unclip(double at) {
    advanceTo(at);
    clipped_ = false;
    framer_.reset();
}

void SimulatedDc::pull(double at) {
    advanceTo(at);
    pulled_ = true;
}

void SimulatedDc::replug(double at) {
    advanceTo(at);
    pulled_ = false;
    framer_.reset();
}

void SimulatedDc::clip(double at) {
    advanceTo(at);
    clipped_ = true;
}

// ---- the line ----

std::vector<Output> SimulatedDc::receive(std::span<const std::uint8_t> bytes, double at) {
    std::vector<Output> out;
    rxFreeAt_ = std::max(rxFreeAt_, at);
    for (std::uint8_t byte : bytes) {
        if (pulled_) break;
        rxFreeAt_ += config_.byteTime;
        advanceTo(rxFreeAt_);
        if (!listening()) continue;
        if (auto unit = framer_.push(byte, rxFreeAt_)) handle(*unit, out);
    }
    return out;
}

void SimulatedDc::sendReply(std::vector<std::uint8_t> bytes, double readyAt, std::vector<Output>& out) {
    if (bytes.empty()) return;
    double t = std::max(txFreeAt_, readyAt + config_.processingDelay);
    const std::size_t chunk = config_.chunkSize > 0 ? static_cast<std::size_t>(config_.chunkSize) : bytes.size();
    for (std::size_t pos = 0; pos < bytes.size(); pos += chunk) {
        if (pos > 0) t += config_.chunkGap;
        const std::size_t n = std::min(chunk, bytes.size() - pos);
        t += static_cast<double>(n) * config_.byteTime;
        out.push_back({t, {bytes.begin() + static_cast<long>(pos), bytes.begin() + static_cast<long>(pos + n)}});
    }
    txFreeAt_ = t;
}

void SimulatedDc::handle(const Unit& unit, std::vector<Output>& out) {
    ++counts_[static_cast<std::size_t>(unit.kind)];
    ++total_;
    lastKind_ = unit.kind;
    const auto fault = faults_.decide(unit.kind, counts_[static_cast<std::size_t>(unit.kind)], total_, unit.at);
    const FaultAction action = fault ? fault->action : FaultAction::Reject;
    if (fault && action == FaultAction::PullCable) {
        pulled_ = true;
        out.push_back({unit.at, {}, true});
        return;
    }
    if (fault && action == FaultAction::Silent) {
        // Never arrived: a data unit is still awaited.
        if (!IsCommand(unit.kind)) framer_.expectData(unit.kind);
        return;
    }
    if (fault && action == FaultAction::Reject) {
        if (unit.kind == UnitKind::LineData) framer_.expectData(UnitKind::LineData);
        sendReply({Nak}, unit.at, out);
        return;
    }

    const DcMode before = mode_;
    const std::size_t sectionsBefore = sections_.size();
    Unit taken = unit;
    if (fault && action == FaultAction::StoreOtherByte && !IsCommand(unit.kind)) taken.bytes[0] ^= 0xFF;
    std::vector<std::uint8_t> reply = process(taken);
    AfterReply after = AfterReply::Nothing;
    if (unit.kind == UnitKind::DeepSleep && reply == std::vector<std::uint8_t>{Ack} && unit.bytes[1] == 0x55) {
        after = AfterReply::Sleep;
    }
    if (sections_.size() > sectionsBefore && sections_.back().accepted) after = AfterReply::Restart;

    double replyLeftAt = unit.at;
    if (!(fault && action == FaultAction::LoseReply)) {
        if (fault && action == FaultAction::GarbageBefore) {
            std::vector<std::uint8_t> noisy;
            for (int i = 0; i < fault->garbageCount; ++i) noisy.push_back(garbage_.byte());
            noisy.insert(noisy.end(), reply.begin(), reply.end());
            reply = std::move(noisy);
        }
        if (fault && action == FaultAction::GarbageAfter) {
            for (int i = 0; i < fault->garbageCount; ++i) reply.push_back(garbage_.byte());
        }
        sendReply(std::move(reply), unit.at, out);
        replyLeftAt = txFreeAt_;
    }

    if (after == AfterReply::Sleep) {
        enterMode(DcMode::Asleep, replyLeftAt);
        if (config_.wakeAfter >= 0) autoWakeAt_ = replyLeftAt + config_.wakeAfter;
    } else if (after == AfterReply::Restart) {
        modeAfterRestart_ = before == DcMode::PcScreen ? DcMode::PcScreen : DcMode::Awake;
        enterMode(DcMode::Restarting, replyLeftAt);
        restartEndsAt_ = config_.neverRestart ? DcConfig::Never : replyLeftAt + config_.restartSeconds;
    }
}

// ---- the command set ----

void SimulatedDc::applyStagingRule(UnitKind kind) {
    if (!staged1_.empty()) {
        if (kind == UnitKind::LineRequest || kind == UnitKind::MemoryRead) {
            commitProfileBlocks();  // the profile write-back: the header line or read-back follows
        } else if (kind != UnitKind::Announce1 && kind != UnitKind::Close1) {
            staged1_.clear();  // an unfinished code upload
        }
    }
    if (!staged2_.empty() && kind != UnitKind::Announce2 && kind != UnitKind::Argument2 && kind != UnitKind::Close2) {
        staged2_.clear();
    }
}

void SimulatedDc::commitProfileBlocks() {
    for (const auto& [address, block] : staged1_) {
        const int line = address + ProfileFirstLine;
        if (memory_.holdsBlock(line)) memory_.writeBlock(line, block.data());
    }
    staged1_.clear();
}

std::vector<std::uint8_t> SimulatedDc::closeSection(int section, std::uint16_t value) {
    auto& staged = section == 1 ? staged1_ : staged2_;
    unsigned sum = 0;
    for (const auto& entry : staged) sum = (sum + entry.second[128]) & 0xFFFF;
    SectionRecord record;
    record.section = section;
    record.blockCount = static_cast<int>(staged.size());
    record.checksumSent = value;
    record.checksumComputed = static_cast<std::uint16_t>(sum);
    record.accepted = sum == value;
    if (section == 2) record.argument = argument2_;
    sections_.push_back(record);
    if (!record.accepted) return {Nak};  // old firmware stays; the staged blocks wait for a resend

    if (section == 1) {
        code1_ = std::move(staged);
        version_ = config_.newVersion;
    } else {
        code2_ = std::move(staged);
        revision_ = config_.newRevision;
    }
    staged.clear();
    memory_.eraseProfile();
    return {Ack};
}

std::vector<std::uint8_t> SimulatedDc::process(const Unit& unit) {
    if (unit.repeat) return {Ack};  // stored already; only the acknowledgement was lost
    if (IsCommand(unit.kind)) applyStagingRule(unit.kind);
    const auto& b = unit.bytes;
    switch (unit.kind) {
    case UnitKind::Identity: {
        std::vector<std::uint8_t> reply{0x84};
        const std::string text = identityText();
        reply.insert(reply.end(), text.begin(), text.end());
        reply.push_back(SumOf(reply.data() + 1, 16));
        return reply;
    }
    case UnitKind::Revision: {
        std::vector<std::uint8_t> reply{config_.revisionByte0, revision_};
        if (config_.revisionStray) reply.insert(reply.begin(), StrayByte);
        return reply;
    }
    case UnitKind::DeepSleep:
        if (b[1] == 0x55) return {Ack};
        if (b[1] == 0x99) {
            if (mode_ == DcMode::PcScreen) enterMode(DcMode::Awake, unit.at);
            return {Ack};
        }
        return {Nak};
    case UnitKind::MemoryRead: {
        const int line = Word(unit);
        if (!memory_.holdsBlock(line)) return {Nak};
        std::vector<std::uint8_t> reply{Ack};
        const auto block = memory_.block(line);
        reply.insert(reply.end(), block.begin(), block.end());
        return reply;
    }
    case UnitKind::LineRequest:
        pendingLine_ = Word(unit) + (Word(unit) >= ProfileFirstLine ? config_.profileLineShift : 0);
        if (!memory_.holdsLine(pendingLine_)) return {Nak};
        framer_.expectData(UnitKind::LineData);
        return {Ack};
    case UnitKind::LineData: {
        if (SumOf(b.data(), LineBytes) != b[16]) {
            framer_.expectData(UnitKind::LineData);  // the program sends the line again
            return {Nak};
        }
        Line line{};
        std::copy_n(b.begin(), LineBytes, line.begin());
        memory_.writeLine(pendingLine_, line);
        framer_.rememberStored(UnitKind::LineData, b);
        return {Ack};
    }
    case UnitKind::Announce1:
    case UnitKind::Announce2:
        pendingAddress_ = Word(unit);
        framer_.expectData(unit.kind == UnitKind::Announce1 ? UnitKind::BlockData1 : UnitKind::BlockData2);
        return {Ack};
    case UnitKind::BlockData1:
    case UnitKind::BlockData2: {
        CodeBlock block{};
        std::copy_n(b.begin(), block.size(), block.begin());
        // Keyed by address: a block sent again after a lost acknowledgement counts once.
        (unit.kind == UnitKind::BlockData1 ? staged1_ : staged2_)[pendingAddress_] = block;
        return {Ack};
    }
    case UnitKind::Close1: return closeSection(1, static_cast<std::uint16_t>(Word(unit)));
    case UnitKind::Argument2: argument2_ = static_cast<std::uint16_t>(Word(unit)); return {Ack};
    case UnitKind::Close2: return closeSection(2, static_cast<std::uint16_t>(Word(unit)));
    case UnitKind::ClockOpen: framer_.expectData(UnitKind::ClockRecord); return {Ack};
    case UnitKind::ClockRecord: {
        if (SumOf(b.data(), 8) != b[8]) return {Nak};
        std::array<std::uint8_t, 9> record{};
        std::copy_n(b.begin(), record.size(), record.begin());
        clock_ = record;
        framer_.rememberStored(UnitKind::ClockRecord, b);
        return {Ack};
    }
    }
    return {};
}

}  // namespace vor::sim
