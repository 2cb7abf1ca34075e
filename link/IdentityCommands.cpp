// Identity and mode commands: 0x84 identity, 0xA8 deep sleep, 0xBA revision.

#include <algorithm>
#include <cctype>

#include "link/CommModule.h"

namespace vor {

namespace {
constexpr double IdentityTimeout = 2.0;  // seconds per try
constexpr int IdentityMaxResends = 11;   // 12 sends, gives up about 22 s after the first
constexpr int IdentityReplyLength = 18;  // unused byte, 16 identity characters, unused byte
constexpr int IdentityLength = 16;

constexpr double DeepSleepTimeout = 1.0;
constexpr int DeepSleepMaxResends = 4;  // the fourth resend is sent but not waited for

constexpr double RevisionTimeout = 1.0;
constexpr int RevisionMaxResends = 11;
constexpr int RevisionReplyLength = 2;

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
    AwaitQuietLine();
    PendingCommand = Cmd::Identity;
    ExpectedLength = IdentityReplyLength;
    ReceivedCount = 0;
    ReplyComplete = false;
    SendStartTime = pump_.now();
    int tries = 0;
    port_.discardBuffers();
    SendBuffer[0] = Cmd::Identity;
    SendBytes(1, IdentityTimeout);
    for (;;) {
        const double elapsed = PollPass(SendStartTime, IdentityTimeout);
        if ((tries < IdentityMaxResends && elapsed > IdentityTimeout && !ReplyComplete && !LinkAbort) || NakReceived) {
            ExpectedLength = IdentityReplyLength;
            ReceivedCount = 0;
            ReplyComplete = false;
            SendStartTime = pump_.now();
            ++tries;
            port_.discardBuffers();
            PendingCommand = Cmd::Identity;
            SendBuffer[0] = Cmd::Identity;
            SendBytes(1, IdentityTimeout);
        }
        if (tries > IdentityMaxResends - 1 || ReplyComplete || LinkAbort) break;
    }
    EndExchange();
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
    AwaitQuietLine();
    LinkError = false;
    state_.CommError = false;
    PendingCommand = Cmd::DeepSleep;
    ExpectedLength = 1;
    ReceivedCount = 0;
    ReplyComplete = false;
    int tries = 0;
    SendBuffer[0] = Cmd::DeepSleep;
    SendBuffer[1] = variant;
    SendStartTime = pump_.now();
    SendBytes(2, DeepSleepTimeout);
    for (;;) {
        const double elapsed = PollPass(SendStartTime, DeepSleepTimeout);
        const bool timedOut = elapsed > DeepSleepTimeout && tries < DeepSleepMaxResends;
        if ((timedOut && !LinkError) || NakReceived) {
            // ReplyComplete stays: a late acknowledgement still counts. The count
            // restarts so the acknowledgement of this send lands at index 0.
            ++tries;
            ReceivedCount = 0;
            SendBuffer[0] = Cmd::DeepSleep;
            SendBuffer[1] = variant;
            SendStartTime = pump_.now();
            SendBytes(2, DeepSleepTimeout);
        } else if (timedOut) {
            // The link is dead or closing: the try is used up without a send, so the
            // command still ends by its try limit instead of waiting for ever.
            ++tries;
            SendStartTime = pump_.now();
        }
        if (ReplyComplete && tries < DeepSleepMaxResends) {
            EndExchange();
            return true;
        }
        if (tries > DeepSleepMaxResends - 1) {
            EndExchange();
            state_.CommError = true;
            return false;
        }
    }
}

std::uint8_t CommModule::ReadRevision() {
    AwaitQuietLine();
    PendingCommand = Cmd::Revision;
    ExpectedLength = RevisionReplyLength;
    ReceivedCount = 0;
    ReplyComplete = false;
    int tries = 0;
    SendBuffer[0] = Cmd::Revision;
    SendBytes(1, RevisionTimeout);
    SendStartTime = pump_.now();
    for (;;) {
        const double elapsed = PollPass(SendStartTime, RevisionTimeout);
        if ((tries < RevisionMaxResends && elapsed > RevisionTimeout && !ReplyComplete && !LinkAbort) || NakReceived) {
            ExpectedLength = RevisionReplyLength;
            ReceivedCount = 0;
            ReplyComplete = false;
            SendStartTime = pump_.now();
            ++tries;
            PendingCommand = Cmd::Revision;
            SendBuffer[0] = Cmd::Revision;
            SendBytes(1, RevisionTimeout);
        }
        if (tries > RevisionMaxResends - 1 || ReplyComplete || LinkAbort) break;
    }
    EndExchange();
    return ReplyComplete ? ReplyBuffer[1] : 0;
}

}  // namespace vor
