#include <gtest/gtest.h>

#include "resources/StringResources.h"

using namespace vor;

TEST(StringResources, BuiltInSetupRecordIsIntactAndNamesTheImage) {
    const auto fields = SplitFields(LoadResString(ResSetupRecord));
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0], "VOR.1H.FWR");
    EXPECT_EQ(fields[2], "");
    EXPECT_EQ(fields[3], "5000");
    EXPECT_TRUE(SetupRecordIntact(fields));
}

TEST(StringResources, TamperedOrShortSetupRecordFailsTheCheck) {
    auto fields = SplitFields(LoadResString(ResSetupRecord));
    fields[3] = "6000";
    EXPECT_FALSE(SetupRecordIntact(fields));
    EXPECT_FALSE(SetupRecordIntact(SplitFields("VOR.1H.FWR")));
    EXPECT_TRUE(SetupRecordIntact(SplitFields(MakeSetupRecord("X.FWR", "", "6000"))));
}

TEST(StringResources, PasswordAndParameterRecord) {
    EXPECT_EQ(LoadResString(ResDatabasePassword), "(&61%]#?.=+04$*}=TBw");
    EXPECT_EQ(LoadResString(ResParameters), "MERO|VOR|512|6865|1A");
    EXPECT_EQ(LoadResString(12345), "");
}

TEST(StringResources, SplitKeepsEmptyFields) {
    EXPECT_EQ(SplitFields("a||b").size(), 3u);
    EXPECT_EQ(SplitFields("").size(), 1u);
}
