// The text description vor-tool builds images from.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "firmware/ImageDescription.h"
#include "firmware/ImageLoader.h"
#include "resources/StringResources.h"

using namespace vor;

namespace {

std::string DemoDescription() {
    std::ifstream in(std::string(VOR_SOURCE_DIR) + "/resources/demo-image.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(ImageDescription, DemoDescriptionGivesTheDemoFixture) {
    const ImageContent c = ParseImageDescription(DemoDescription());
    FirmwareImage image;
    const ImageLoadResult r = DecodeImage(EncodeImage(c), LoadResString(ResParameters), image);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(image.ModelNumber, 6865);
    EXPECT_EQ(image.ImageVersion, "1H");
    EXPECT_EQ(image.MemorySize, 512);
    EXPECT_TRUE(image.BothSections());
    EXPECT_EQ(image.ImageRevision, 3);
    EXPECT_EQ(image.Section2Argument, 0x1234);
    EXPECT_EQ(image.DeviceName, "VOR Watch DC");
    EXPECT_EQ(image.ModelName, "VOR");
    EXPECT_EQ(image.Section1BlockCount, 300);
    EXPECT_EQ(image.Section2BlockCount, 200);
    EXPECT_EQ(image.Section1Blocks[0][0], 0x0000);
    EXPECT_EQ(image.Section1Blocks[1][0], 0x0008);
    EXPECT_EQ(image.Section1Blocks[299][0], 299 * 8);  // contiguous, no wrap
    EXPECT_EQ(image.Section2Blocks[0][0], 0x4000);
    EXPECT_EQ(image.Section2Blocks[1][0], 0x4008);
    // The default check byte is the 8-bit sum of the block's data.
    unsigned sum = 0;
    for (int j = 1; j <= 128; ++j) sum += static_cast<unsigned>(image.Section1Blocks[7][j]);
    EXPECT_EQ(image.Section1Blocks[7][129], static_cast<int>(sum & 0xFF));
    // Same description, same bytes.
    EXPECT_EQ(EncodeImage(c), EncodeImage(ParseImageDescription(DemoDescription())));
}

TEST(ImageDescription, ExplicitDataAndCheckAndWrappedAddresses) {
    std::string data;
    for (int j = 0; j < 128; ++j) data += (j ? " " : "") + std::to_string(j % 10);
    const ImageContent c = ParseImageDescription(
        "kind = section1\nsection1.count = 3\n"
        "section1.start = 0x7F80 # last address that fits\n"
        "data = " +
        data + "\ncheck = 0xFF\n");
    ASSERT_EQ(c.Section1.size(), 3u);
    EXPECT_EQ(c.Section1[0].address, 0x7F80);
    EXPECT_EQ(c.Section1[1].address, 0x0000);
    EXPECT_EQ(c.Section1[2].data[11], 1);
    EXPECT_EQ(c.Section1[2].check, 0xFF);
    EXPECT_EQ(c.Kind, ImageKind::OnlySection1);
}

TEST(ImageDescription, BadLinesNameTheirLineNumber) {
    for (const char* text : {"model = 70000", "\nversion = 1", "kind = three", "key = 01 02", "nonsense",
                             "section3.count = 1", "section1.count = 1025", "data = 00 01", "model = 12ab"}) {
        try {
            ParseImageDescription(text);
            ADD_FAILURE() << text;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()).rfind("line ", 0), 0u) << e.what();
        }
    }
}
