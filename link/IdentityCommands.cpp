// Identity and mode commands: 0x84 identity, 0xA8 deep sleep, 0xBA revision.

#include <algorithm>
#include <array>
#include <cctype>

#include "link/CommModule.h"

namespace vor {

namespace {
constexpr double IdentityTimeout = 2.0;  // seconds per try
constexpr int IdentityMaxResends = 11;   // 12 sends, gives up about 22 s after the first
constexpr int IdentityReplyLength = 18;  // unused byte, 16 identity characters, unused byte
constexpr int IdentityLength = 16;

constexpr ExchangeRule IdentityRead{
    .Timeout = IdentityTimeout,
    .MaxResends = IdentityMaxResends,
    .ReplyLength = IdentityReplyLength,
    .DiscardBuffers = Discard::BeforeEverySend,
};

constexpr double DeepSleepTimeout = 1.0;
constexpr int DeepSleepMaxResends = 4;  // the fourth resend is sent but not waited for

// Only a failed link holds a resend back, and the reply is not cleared: an
// acknowledgement that comes late still counts. Nothing is discarded, and the code is
// not set again, so a resend after a completed reply sends nothing.
constexpr ExchangeRule DeepSleepRequest{
    .Timeout = DeepSleepTimeout,
    .MaxResends = DeepSleepMaxResends,
    .ClearedFirst = Flag::Error | Flag::CommError,
    .HeldBy = Flag::Error,
    .EndOn = Flag::Reply,
    .ClearReplyOnResend = false,
    .RearmOnResend = false,
};

constexpr double RevisionTimeout = 1.0;
constexpr int RevisionMaxResends = 11;
constexpr int RevisionReplyLength = 2;  // byte 0 (not used by us, any value), the revision
// Longer than a USB bridge's packet latency (16 ms by default): the two bytes of a
// reply split over two packets still count as one reply.
constexpr double RevisionSettleSeconds = 0.04;

// Byte 0 of the reply can hold anything, so nothing marks where the reply starts: it is
// the last two bytes once the line has gone quiet.
constexpr ExchangeRule RevisionRead{
    .Timeout = RevisionTimeout,
    .MaxResends = RevisionMaxResends,
    .ReplyLength = RevisionReplyLength,
    .SettleSeconds = RevisionSettleSeconds,
    .StampAfterFirstSend = true,
};

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    return lower(text).find(lower(part)) != std::string::npos;
}

std::string LastTwoCharacters(const std::string& word) {
    return word.size() <= 2 ? word : word.substr(word.size() - 2);
}
}  // namespace

bool CommModule::ReadIdentity() {
    (void)Exchange(IdentityRead, std::array{Cmd::Identity});
    if (!ReplyComplete) return false;
    IdentityText.clear();
    for (int i = 0; i < IdentityLength; ++i)
        IdentityText += static_cast<char>(ReplyBuffer[static_cast<std::size_t>(i) + 1]);
    return true;
}

bool CommModule::ParseIdentity(const std::string& modelName) {
    // One left-to-right pass: two spaces become one (three become two).
    std::string normalised;
    for (std::size_t i = 0; i < IdentityText.size(); ++i) {
        normalised += IdentityText[i];
        if (IdentityText[i] == ' ' && i + 1 < IdentityText.size() && IdentityText[i + 1] == ' ') ++i;
    }
    IdentityText = normalised;

    std::vector<std::string> words(1);
    for (char c : IdentityText) {
        if (c == ' ')
            words.emplace_back();
        else
            words.back() += c;
    }
    const std::size_t lastWord = words.size() - 1;
    if (lastWord < 2) return false;
    if (!ContainsIgnoringCase(IdentityText, modelName)) return false;
    if (lastWord == 2) VersionText = LastTwoCharacters(words[1]);
    if (lastWord == 3) VersionText = LastTwoCharacters(words[2]);
    return true;
}

bool CommModule::EnterDeepSleep() {
    const std::uint8_t variant = state_.DeepSleepMode ? DeepSleepVariant : LeavePcVariant;
    const bool triesUsedUp = Exchange(DeepSleepRequest, std::array{Cmd::DeepSleep, variant});
    if (ReplyComplete && !triesUsedUp) return true;
    state_.CommError = true;
    return false;
}

std::uint8_t CommModule::ReadRevision() {
    (void)Exchange(RevisionRead, std::array{Cmd::Revision});
    return ReplyComplete ? ReplyBuffer[1] : 0;
}

}  // namespace vor
