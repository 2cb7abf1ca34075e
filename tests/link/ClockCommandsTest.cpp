// Clock setting: the record's bytes, the hour byte, separators, rejections,
// silence and bad texts.

#include <gtest/gtest.h>

#include "link/ClockRecord.h"
#include "tests/link/LinkTestRig.h"

namespace vor::test {
namespace {

TEST(SetClock, SendsNinetySevenThenTheRecordWithItsCheckByte) {
    LinkTestRig rig;
    rig.answerAlways({AckByte});
    rig.link.SetClock("03/07/09", "14:05:30", 233);
    ASSERT_EQ(rig.sends(), 2);
    EXPECT_EQ(rig.written(0), (Bytes{0x97, 0x00}));
    EXPECT_EQ(rig.written(1), (Bytes{0x09, 0x07, 0x03, 0x30, 0x05, 0x82, 0xE9, 0x00, 0xB3, 0x00}));
    EXPECT_FALSE(rig.state.CommError);
}

TEST(ClockRecord, HourByteIsTwelveHourBcdWithThePmBit) {
    const std::pair<const char*, std::uint8_t> cases[] = {{"12:00:00", 0x92}, {"00:30:00", 0x00}, {"23:59:59", 0x91},
                                                          {"09:00:00", 0x09}, {"11:00:00", 0x11}, {"13:00:00", 0x81},
                                                          {"22:00:00", 0x90}};
    for (const auto& [time, hour] : cases) {
        SCOPED_TRACE(time);
        const auto record = BuildClockRecord("01/01/20", time, 233);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ((*record)[5], hour);
    }
}

TEST(ClockRecord, AnyOneCharacterSeparatorWorks) {
    const auto slash = BuildClockRecord("03/07/09", "14:05:30", 233);
    EXPECT_EQ(BuildClockRecord("03.07.09", "14.05.30", 233), slash);
    EXPECT_EQ(BuildClockRecord("03-07-09", "14-05-30", 233), slash);
}

TEST(ClockRecord, FieldsThatAreNotDigitsOrAnHourAbove23AreRefused) {
    EXPECT_FALSE(BuildClockRecord("ab/07/09", "14:05:30", 233));
    EXPECT_FALSE(BuildClockRecord("03/07/09", "14:x5:30", 233));
    EXPECT_FALSE(BuildClockRecord("3/7/9", "14:05:30", 233));
    EXPECT_FALSE(BuildClockRecord("", "", 233));
    EXPECT_FALSE(BuildClockRecord("03/07/09", "24:00:00", 233));
}

TEST(ClockRecord, FormatsLocalTimeAsTheCallersTexts) {
    const LocalTime t{2009, 3, 7, 14, 5, 30};
    EXPECT_EQ(FormatClockDate(t), "03/07/09");
    EXPECT_EQ(FormatClockTime(t), "14:05:30");
    EXPECT_EQ(FormatClockDate({2100, 12, 31, 0, 0, 0}), "12/31/00");
}

TEST(SetClock, BadDateTextSendsNothingAndSetsCommError) {
    LinkTestRig rig;
    rig.answerAlways({AckByte});
    rig.link.SetClock("03/0?/09", "14:05:30", 233);
    EXPECT_EQ(rig.sends(), 0);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(SetClock, RecordIsSentWithDotAndDashSeparators) {
    LinkTestRig rig;
    rig.answerAlways({AckByte});
    rig.link.SetClock("03.07.09", "14-05-30", 233);
    ASSERT_EQ(rig.sends(), 2);
    EXPECT_EQ(rig.written(1)[8], 0xB3);
}

TEST(SetClock, FourRejectionsOfNinetySevenSendAFifthAndFailWithoutTheRecord) {
    LinkTestRig rig;
    rig.answerAlways({NakByte});
    rig.link.SetClock("03/07/09", "14:05:30", 233);
    EXPECT_EQ(rig.sends(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rig.written(i), (Bytes{0x97, 0x00}));
    EXPECT_TRUE(rig.state.CommError);
}

TEST(OpenClockWrite, SilentDcGetsFiveSendsInAboutFourTenthsOfASecond) {
    LinkTestRig rig;
    EXPECT_FALSE(rig.link.OpenClockWrite());
    EXPECT_EQ(rig.sends(), 5);
    EXPECT_NEAR(rig.pump.now(), 0.4, 0.02);
}

TEST(SetClock, RejectionOfTheRecordEndsTheWaitWithoutFailure) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return Bytes{i == 0 ? AckByte : NakByte}; });
    rig.link.SetClock("03/07/09", "14:05:30", 233);
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_FALSE(rig.state.CommError);
}

TEST(SetClock, SilentRecordGetsFiveSendsAndSetsCommError) {
    LinkTestRig rig;
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{AckByte} : Bytes{}; });
    rig.link.SetClock("03/07/09", "14:05:30", 233);
    EXPECT_EQ(rig.sends(), 6);
    EXPECT_NEAR(rig.pump.now() - rig.sendTime(1), 4.0, 0.05);
    EXPECT_TRUE(rig.state.CommError);
}

TEST(SetClock, AbortWhileTheRecordIsAwaitedEndsWithoutCommError) {
    LinkTestRig rig;
    rig.link.Abort();  // left from earlier: cleared at the start
    rig.answer([](int i, const Bytes&) { return i == 0 ? Bytes{AckByte} : Bytes{}; });
    rig.pump.schedule(0.5, [&] { rig.link.Abort(); });
    rig.link.SetClock("03/07/09", "14:05:30", 233);
    EXPECT_EQ(rig.sends(), 2);
    EXPECT_NEAR(rig.pump.now(), 0.5, 0.01);
    EXPECT_FALSE(rig.state.CommError);
}

}  // namespace
}  // namespace vor::test
