// Identity, deep sleep and revision: wire bytes, resends, give-up times, chunked
// replies, rejections and late acknowledgements.

#include <gtest/gtest.h>

#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

const std::string DemoIdentity = "VOR FW1E 0012345";

TEST(ReadIdentity, SendsEightyFourZeroAndTakesTheSixteenCharacters) {
    LinkTestRig rig;
    rig.answerAlways(IdentityReply(DemoIdentity));
    ASSERT_TRUE(rig.link.ReadIdentity());
    EXPECT_EQ(rig.sends(), 1);
    EXPECT_EQ(rig.written(0), (Bytes{0x84, 0x00}));
    EXPECT_EQ(rig.link.IdentityString(), DemoIdentity);
    EXPECT_EQ(rig.port.discardCount(), 1);
}

TEST(ReadIdentity, SilentDcGetsTwelveSendsTwoSecondsApartAndGivesUpAtAbout22Seconds) {
    LinkTestRig rig;
    ASSERT_TRUE(rig.identify(DemoIdentity));
    rig.port.setPeer({});
    rig.port.clearRecord();
    EXPECT_FALSE(rig.link.ReadIdentity());
    ASSERT_EQ(rig.sends(), 12);
    for (int i = 1; i < 12; ++i) EXPECT_NEAR(rig.sendTime(i) - rig.sendTime(i - 1), 2.0, 0.01);
    EXPECT_NEAR(rig.pump.now() - rig.sendTime(0), 22.0, 0.05);
    EXPECT_EQ(rig.port.discardCount(), 12);
    EXPECT_EQ(rig.link.IdentityString(), DemoIdentity);  // unchanged
}

TEST(ReadIdentity, ReplySplitIntoChunksOfEverySizeCompletesOnlyWithTheLastByte) {
    const Bytes reply = IdentityReply(DemoIdentity);
    for (std::size_t size = 1; size <= reply.size(); ++size) {
        SCOPED_TRACE(size);
        LinkTestRig rig;
        std::vector<std::size_t> sizes(reply.size() / size + 1, size);
        rig.port.setPeer([&](std::span<const std::uint8_t>) { rig.port.deliverChunks(reply, sizes, 0.01, 0.01); });
        ASSERT_TRUE(rig.link.ReadIdentity());
        EXPECT_EQ(rig.sends(), 1);
        EXPECT_EQ(rig.link.IdentityString(), DemoIdentity);
    }
}

TEST(ReadIdentity, RejectionIsResentAtOnceAndCountsAsATry) {
    LinkTestRig rig;
    rig.answerAlways({NakByte});
    EXPECT_FALSE(rig.link.ReadIdentity());
    EXPECT_EQ(rig.sends(), 12);
    EXPECT_LT(rig.pump.now(), 0.1);  // no 2 s waits

    LinkTestRig once;
    once.answer([](int i, const Bytes&) { return i == 0 ? Bytes{NakByte} : IdentityReply(DemoIdentity); });
    EXPECT_TRUE(once.link.ReadIdentity());
    EXPECT_EQ(once.sends(), 2);
    EXPECT_LT(once.sendTime(1), 0.1);
}

TEST(ReadIdentity, TimeOutsDoNotDependOnTheTimeOfDay) {
    LinkTestRig rig;
    rig.pump.setLocalTimeBase({2026, 12, 31, 23, 59, 59});  // the wait spans midnight
    EXPECT_FALSE(rig.link.ReadIdentity());
    EXPECT_EQ(rig.sends(), 12);
    EXPECT_NEAR(rig.sendTime(1) - rig.sendTime(0), 2.0, 0.01);
}

TEST(ReadIdentity, StopsWithinOnePassWhenAbortedDuringTheWait) {
    LinkTestRig rig;
    rig.pump.schedule(3.0, [&] { rig.link.Abort(); });
    EXPECT_FALSE(rig.link.ReadIdentity());
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_NEAR(rig.pump.now(), 3.0, 0.01);
}

TEST(ParseIdentity, ThreeWordsTakeTheVersionFromTheSecondWord) {
    LinkTestRig rig;
    rig.identify(DemoIdentity);
    EXPECT_TRUE(rig.link.ParseIdentity("VOR"));
    EXPECT_EQ(rig.link.FirmwareVersion(), "1E");
}

TEST(ParseIdentity, DoubleSpacesCountAsOneAndAreNormalisedInPlace) {
    LinkTestRig rig;
    rig.identify("VOR  FW1F 001234");
    EXPECT_TRUE(rig.link.ParseIdentity("VOR"));
    EXPECT_EQ(rig.link.IdentityString(), "VOR FW1F 001234");
    EXPECT_EQ(rig.link.FirmwareVersion(), "1F");

    rig.identify("VOR   FW1G 00123");  // three spaces become two: an empty word
    EXPECT_TRUE(rig.link.ParseIdentity("VOR"));
    EXPECT_EQ(rig.link.IdentityString(), "VOR  FW1G 00123");
    EXPECT_EQ(rig.link.FirmwareVersion(), "1G");  // four words: the third
}

TEST(ParseIdentity, FourWordsTakeTheThirdWordAndFiveOrMoreKeepTheVersion) {
    LinkTestRig rig;
    rig.identify("A VOR FW1C 12345");
    EXPECT_TRUE(rig.link.ParseIdentity("VOR"));
    EXPECT_EQ(rig.link.FirmwareVersion(), "1C");

    rig.identify("A VOR B FW1D 123");
    EXPECT_TRUE(rig.link.ParseIdentity("VOR"));
    EXPECT_EQ(rig.link.FirmwareVersion(), "1C");
}

TEST(ParseIdentity, ModelNameMatchesInOtherCaseAndTwoWordsOrAMissingModelFail) {
    LinkTestRig rig;
    rig.identify("vor FWxx 0012345");
    EXPECT_TRUE(rig.link.ParseIdentity("VOR"));

    rig.identify("VOR FW1E00123456");
    EXPECT_FALSE(rig.link.ParseIdentity("VOR"));
    EXPECT_EQ(rig.link.FirmwareVersion(), "xx");

    rig.identify("ABC FW1E 0012345");
    EXPECT_FALSE(rig.link.ParseIdentity("VOR"));
    EXPECT_EQ(rig.link.FirmwareVersion(), "xx");
}

TEST(EnterDeepSleep, SendsTheVariantOfDeepSleepModeAndClearsCommErrorAndLinkError) {
    LinkTestRig rig;
    rig.answerAlways({AckByte});
    rig.state.DeepSleepMode = true;
    rig.state.CommError = true;
    rig.link.Abort();
    EXPECT_TRUE(rig.link.EnterDeepSleep());
    EXPECT_FALSE(rig.state.CommError);
    rig.state.DeepSleepMode = false;
    EXPECT_TRUE(rig.link.EnterDeepSleep());
    EXPECT_EQ(rig.port.allWrittenBytes(), (Bytes{0xA8, 0x55, 0x00, 0xA8, 0x99, 0x00}));
    EXPECT_EQ(rig.port.discardCount(), 0);
}

TEST(EnterDeepSleep, SilentDcGetsFiveSendsAndFailsAboutFourSecondsAfterTheFirst) {
    LinkTestRig rig;
    EXPECT_FALSE(rig.link.EnterDeepSleep());
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.sends(), 5);
    EXPECT_NEAR(rig.pump.now(), 4.0, 0.05);
}

TEST(EnterDeepSleep, AcknowledgementSeenAfterTheTimeOutIsAcceptedAndTheResendSendsNothing) {
    LinkTestRig rig;
    // The ack comes 1.5 s after the send but is seen only after the time-out passed.
    rig.pump.schedule(0.5, [&] { rig.pump.sleepFor(1.0); });
    rig.answer([&](int, const Bytes&) { return Bytes{AckByte}; }, 1.5);
    EXPECT_TRUE(rig.link.EnterDeepSleep());
    EXPECT_EQ(rig.sends(), 1);
    EXPECT_FALSE(rig.state.CommError);
}

TEST(EnterDeepSleep, AcknowledgementOfTheFourthResendIsNotWaitedFor) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return i == 4 ? Bytes{AckByte} : Bytes{}; });
    EXPECT_FALSE(rig.link.EnterDeepSleep());
    EXPECT_EQ(rig.sends(), 5);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(EnterDeepSleep, AcknowledgementAfterARejectionCompletes) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{NakByte} : Bytes{AckByte}; });
    EXPECT_TRUE(rig.link.EnterDeepSleep());
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_LT(rig.pump.now(), 0.1);
}

TEST(EnterDeepSleep, HangUpDuringTheWaitEndsByTheTryLimitWithoutSpinning) {
    LinkTestRig rig;
    rig.port.hangUp(0.3);
    EXPECT_FALSE(rig.link.EnterDeepSleep());
    EXPECT_TRUE(rig.state.CommError);
    EXPECT_EQ(rig.sends(), 1);
    EXPECT_NEAR(rig.pump.now(), 4.0, 0.05);
    EXPECT_LT(rig.pump.yieldCount(), 20u);
}

TEST(ReadRevision, SendsBaZeroWithoutDiscardingAndReturnsTheSecondByte) {
    LinkTestRig rig;
    rig.answerAlways({0x00, 0x03});
    EXPECT_EQ(rig.link.ReadRevision(), 3);
    EXPECT_EQ(rig.written(0), (Bytes{0xBA, 0x00}));
    EXPECT_EQ(rig.port.discardCount(), 0);
}

TEST(ReadRevision, ReplyInTwoOneByteChunksGivesTheRevisionNotAStaleByte) {
    LinkTestRig rig;
    rig.answerAlways({0x00, 0x77});
    ASSERT_EQ(rig.link.ReadRevision(), 0x77);  // leaves 0x77 behind
    rig.port.setPeer([&](std::span<const std::uint8_t>) { rig.port.deliverChunks({0x00, 0x03}, {1, 1}, 0.01); });
    EXPECT_EQ(rig.link.ReadRevision(), 3);
}

// Byte 0 of the revision reply is the DC's to fill: every value of it, with a stray
// byte ahead of the reply and the reply split over USB packets, gives the same revision.
struct RevisionReplyCase {
    std::uint8_t byte0;
    std::uint8_t revision;
    bool strayFirst;
    bool split;  // one byte per USB packet
};
void PrintTo(const RevisionReplyCase& c, std::ostream* os) {
    *os << "byte0 " << int{c.byte0} << " revision " << int{c.revision} << (c.strayFirst ? " stray" : "")
        << (c.split ? " split" : "");
}

class RevisionReply : public ::testing::TestWithParam<RevisionReplyCase> {};

TEST_P(RevisionReply, IsTheLastByteOnceTheLineSettlesFromOneSend) {
    const RevisionReplyCase& c = GetParam();
    LinkTestRig rig;
    Bytes reply{c.byte0, c.revision};
    if (c.strayFirst) reply.insert(reply.begin(), 0xEE);
    const std::vector<std::size_t> packets =
        c.split ? std::vector<std::size_t>(reply.size() - 1, 1) : std::vector<std::size_t>{};
    rig.port.setPeer([&](std::span<const std::uint8_t>) { rig.port.deliverChunks(reply, packets, 0.01, 0.01); });
    EXPECT_EQ(rig.link.ReadRevision(), c.revision);
    EXPECT_EQ(rig.sends(), 1);
    EXPECT_LT(rig.pump.now(), 0.2);
}

std::vector<RevisionReplyCase> AllRevisionReplies() {
    std::vector<RevisionReplyCase> cases;
    for (std::uint8_t byte0 : {0x5A, 0xBA, 0x00, 0xFF})
        for (std::uint8_t revision : {0x00, 0x03, 0x5A, 0xBA, 0xFF})
            for (bool stray : {false, true})
                for (bool split : {false, true}) cases.push_back({byte0, revision, stray, split});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ReadRevision, RevisionReply, ::testing::ValuesIn(AllRevisionReplies()));

TEST(ReadRevision, RejectionIsResentAtOnceAndTheNextReplyCounts) {
    LinkTestRig rig;
    int reply = 0;
    rig.port.setPeer([&](std::span<const std::uint8_t>) {
        if (reply++ == 0)
            rig.port.deliver({NakByte}, 0.01);
        else
            rig.port.deliverChunks({0xEE, AckByte, 0x02}, {2}, 0.01);
    });
    EXPECT_EQ(rig.link.ReadRevision(), 0x02);
    ASSERT_EQ(rig.sends(), 2);
    EXPECT_EQ(rig.written(1), (Bytes{0xBA, 0x00}));
    EXPECT_LT(rig.sendTime(1), 0.1);
}

TEST(ReadRevision, SilentDcGetsTwelveSendsOneSecondApartAndGivesZero) {
    LinkTestRig rig;
    EXPECT_EQ(rig.link.ReadRevision(), 0);
    EXPECT_EQ(rig.sends(), 12);
    EXPECT_NEAR(rig.pump.now(), 11.0, 0.05);
}

}  // namespace
}  // namespace vor::test
