// The command line and the control channel of `vor-tool sim`.

#include <gmock/gmock.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/tools/SimTestRig.h"
#include "tools/dcsim/SimControl.h"
#include "tools/dcsim/SimOptions.h"

namespace vor::sim::test {
namespace {

TEST(SimOptions, DemoOptionsFillTheConfig) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions(
        {"--version",       "1F",      "--revision", "2",         "--serial",     "7654321", "--memory",        "1024",
         "--profile",       "wrapped", "--seed",     "9",         "--wake-after", "2.5",     "--restart-after", "3",
         "--never-restart", "--chunk", "7",          "--log-hex", "--model",      "ABC"},
        o, error))
        << error;
    EXPECT_EQ(o.config.version, "1F");
    EXPECT_EQ(o.config.revision, 2);
    EXPECT_EQ(o.config.serial, 7654321u);
    EXPECT_EQ(o.config.memorySize, 1024);
    EXPECT_EQ(o.config.profile, ProfileKind::Wrapped);
    EXPECT_EQ(o.config.seed, 9u);
    EXPECT_DOUBLE_EQ(o.config.wakeAfter, 2.5);
    EXPECT_DOUBLE_EQ(o.config.restartSeconds, 3.0);
    EXPECT_TRUE(o.config.neverRestart);
    EXPECT_EQ(o.config.chunkSize, 7);
    EXPECT_TRUE(o.logHex);
    EXPECT_EQ(o.config.model, "ABC");
}

TEST(SimOptions, FaultOptionsByCountAndByProbability) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions({"--reject", "b5-data:3", "--silent", "any@0.25", "--garbage", "84:1,5", "--pull-cable",
                                 "40", "--silent", "b7-data:50,90"},
                                o, error))
        << error;
    ASSERT_EQ(o.config.faults.size(), 5u);
    EXPECT_EQ(o.config.faults[0].action, FaultAction::Reject);
    EXPECT_EQ(o.config.faults[0].kind, UnitKind::BlockData1);
    EXPECT_EQ(o.config.faults[0].nth, 3);
    EXPECT_TRUE(o.config.faults[1].anyKind);
    EXPECT_DOUBLE_EQ(o.config.faults[1].probability, 0.25);
    EXPECT_EQ(o.config.faults[2].garbageCount, 5);
    EXPECT_EQ(o.config.faults[3].action, FaultAction::PullCable);
    EXPECT_EQ(o.config.faults[3].nth, 40);
    EXPECT_DOUBLE_EQ(o.config.faults[4].lastsFor, 90.0);
}

TEST(SimOptions, BadInputIsRefusedWithTheOffendingOption) {
    const std::vector<std::vector<std::string>> bad = {
        {"--memory", "768"},      {"--version", "1"},
        {"--serial", "12345678"}, {"--profile", "odd"},
        {"--reject", "c3:1"},     {"--silent", "84@1.5"},
        {"--reject", "84"},       {"--revision", "256"},
        {"--frobnicate"},         {"--seed"},
        {"--wake-after", "-1"},   {"--chunk", "0"},
        {"--silent", "84:1,0"},   {"--reject", "84@0.5,9"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(ParseSimOptions(args, o, error)) << args[0];
        EXPECT_THAT(error, ::testing::HasSubstr(args[0]));
    }
}

TEST(SimControl, ButtonsCableAndDumps) {
    SimRig rig;
    rig.exchange({0xA8, 0x55, 0x00});
    EXPECT_THAT(RunControlCommand(rig.dc(), "press", rig.pump.now()).text, ::testing::HasSubstr("pc-screen"));
    EXPECT_TRUE(RunControlCommand(rig.dc(), "unclip", rig.pump.now()).ok);
    EXPECT_FALSE(rig.dc().clipped());
    RunControlCommand(rig.dc(), "clip", rig.pump.now());
    EXPECT_TRUE(rig.dc().clipped());

    EXPECT_EQ(RunControlCommand(rig.dc(), "dump clock", rig.pump.now()).text, "no clock record\n");
    rig.exchange({0x97, 0x00});
    rig.exchange({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x24, 0x00});
    EXPECT_EQ(RunControlCommand(rig.dc(), "dump clock", rig.pump.now()).text, "clock 01 02 03 04 05 06 07 08 24\n");

    rig.exchange({0xB5, 0x00, 0x00, 0x00});
    rig.exchange(BlockUnit(0, 0x12));
    rig.exchange({0xB6, 0x00, 0x13, 0x00});
    EXPECT_EQ(RunControlCommand(rig.dc(), "dump firmware", rig.pump.now()).text,
              "version 1E revision 1\nsection 1: 1 blocks, checksum sent 0013 computed 0012, refused\n");

    const std::string path = ::testing::TempDir() + "sim-memory.bin";
    EXPECT_TRUE(RunControlCommand(rig.dc(), "dump memory " + path, rig.pump.now()).ok);
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> dumped{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(dumped, rig.dc().memory().bytes());
    std::remove(path.c_str());

    EXPECT_TRUE(RunControlCommand(rig.dc(), "quit", rig.pump.now()).quit);
    EXPECT_TRUE(RunControlCommand(rig.dc(), "pull", rig.pump.now()).pullCable);
    const ControlResult unknown = RunControlCommand(rig.dc(), "dump everything", rig.pump.now());
    EXPECT_FALSE(unknown.ok);
    EXPECT_THAT(unknown.text, ::testing::HasSubstr("unknown"));
}

}  // namespace
}  // namespace vor::sim::test
