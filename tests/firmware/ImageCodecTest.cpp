// The image codec and DecodeImage: layout, unscrambling, kinds, sums, and every
// malformed file failing cleanly without reading past its end.

#include <gtest/gtest.h>

#include <stdexcept>

#include "firmware/ImageLoader.h"
#include "tests/firmware/ImageTestSupport.h"

using namespace vor;
using namespace vor::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

ImageLoadResult Decode(const Bytes& file, FirmwareImage& image, std::string_view params = Parameters) {
    return DecodeImage(file, params, image);
}

std::size_t RecordOffset(std::size_t record) { return (record - 1) * ImageRecordBytes; }

}  // namespace

TEST(ImageDecode, HandWrittenHeaderAndBlockDecodeToTheirValues) {
    // Written byte by byte here, independent of the encoder.
    Bytes file(2 * ImageRecordBytes, 0);
    const std::uint8_t key[8] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    const std::uint8_t plain[8] = {0x1A, 0xD1, '1', 'H', 0x00, 0x07, 0x02, 0x00};  // 6865, "1H", sum 7, 512
    for (int i = 0; i < 8; ++i) {
        file[static_cast<std::size_t>(i)] = plain[i] ^ key[i];
        file[static_cast<std::size_t>(8 + i)] = key[i];
    }
    file[17] = 1;  // section 1: one block
    file[24] = 9;  // revision
    file[31] = 1;  // selector = section 1 count
    file[32] = 'A' ^ 0x10;
    file[33] = 0;
    file[34] = 'b' ^ 0x10;  // ModelName restarts at key byte 8
    file[35] = 'c' ^ 0x20;
    file[36] = 0;
    std::uint8_t* block = &file[RecordOffset(2)];
    block[0] = 0x12;
    block[1] = 0x34;
    for (int j = 0; j < 128; ++j) block[2 + j] = static_cast<std::uint8_t>(j ^ 0x07);
    block[130] = 0x07;

    FirmwareImage image;
    const ImageLoadResult r = Decode(file, image);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(image.ModelNumber, 6865);
    EXPECT_EQ(image.ImageVersion, "1H");
    EXPECT_EQ(image.MemorySize, 512);
    EXPECT_EQ(image.ImageRevision, 9);
    EXPECT_EQ(image.DeviceName, "A");
    EXPECT_EQ(image.ModelName, "bc");
    EXPECT_TRUE(image.OnlySection1());
    EXPECT_EQ(image.Section1BlockCount, 1);
    EXPECT_EQ(image.Section1Checksum, 7);
    EXPECT_EQ(image.Section1Blocks[0][0], 0x1234);
    for (int j = 0; j < 128; ++j) ASSERT_EQ(image.Section1Blocks[0][j + 1], j);
    EXPECT_EQ(image.Section1Blocks[0][129], 7);
    EXPECT_EQ(image.MinimumVersion, "1A");
    EXPECT_EQ(image.ConfigRevision, 0);
}

TEST(ImageDecode, EncodedImageRoundTripsEveryFieldAndBlock) {
    const ImageContent c = DemoLikeContent(ImageKind::BothSections, 5, 4);
    FirmwareImage image;
    const ImageLoadResult r = Decode(EncodeImage(c), image);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_TRUE(image.BothSections());
    EXPECT_EQ(image.DeviceName, "VOR Watch DC");
    EXPECT_EQ(image.ModelName, "VOR");
    EXPECT_EQ(image.Section2Argument, 0x1234);
    EXPECT_EQ(image.Section1BlockCount, 5);
    EXPECT_EQ(image.Section2BlockCount, 4);
    EXPECT_EQ(r.Section1Sum, SectionChecksum(c.Section1));
    EXPECT_EQ(image.Section2Checksum, SectionChecksum(c.Section2));
    for (int r2 = 0; r2 < 4; ++r2) {
        const ImageBlock& b = c.Section2[static_cast<std::size_t>(r2)];
        EXPECT_EQ(image.Section2Blocks[r2][0], b.address);
        for (std::size_t j = 0; j < 128; ++j) ASSERT_EQ(image.Section2Blocks[r2][j + 1], b.data[j]);
        EXPECT_EQ(image.Section2Blocks[r2][129], b.check);
    }
}

TEST(ImageDecode, RecordBetweenTheSectionsIsSkippedWhateverItHolds) {
    const ImageContent c = DemoLikeContent(ImageKind::BothSections, 3, 2);
    Bytes file = EncodeImage(c);
    // Record 3 + 2 = 5 separates the sections; a high address there must not matter.
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(RecordOffset(5)), ImageRecordBytes, 0xFF);
    FirmwareImage image;
    const ImageLoadResult r = Decode(file, image);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(image.Section2Blocks[0][0], 0x4000);
    EXPECT_EQ(image.Section2Blocks[1][0], 0x4080);
}

TEST(ImageDecode, SelectorMatchingBothCountsMeansOnlySection1) {
    ImageContent c = DemoLikeContent(ImageKind::OnlySection1, 3, 0);
    c.StoredSection2Count = 3;
    FirmwareImage image;
    ASSERT_TRUE(Decode(EncodeImage(c), image).ok());
    EXPECT_TRUE(image.OnlySection1());
    EXPECT_EQ(image.Section2BlockCount, 0);  // not read for a section-1 image

    ImageContent only2 = DemoLikeContent(ImageKind::OnlySection2, 0, 3);
    ASSERT_TRUE(Decode(EncodeImage(only2), image).ok());
    EXPECT_TRUE(image.OnlySection2());
    EXPECT_EQ(image.Section1BlockCount, 0);
    EXPECT_EQ(image.Section2BlockCount, 3);
    EXPECT_EQ(image.Section2Blocks[0][0], 0x4000);  // read from record 2 on
}

TEST(ImageDecode, EmptySectionHasSumZeroAndNeedsChecksumZero) {
    ImageContent c = DemoLikeContent(ImageKind::BothSections, 2, 0);
    FirmwareImage image;
    ImageLoadResult r = Decode(EncodeImage(c), image);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(image.Section2BlockCount, 0);
    EXPECT_EQ(r.Section2Sum, 0);

    c.StoredSection2Checksum = 1;
    r = Decode(EncodeImage(c), image);
    EXPECT_EQ(r.fault, ImageFault::ChecksumError3);
}

TEST(ImageDecode, SectionSumWrapsAt16Bits) {
    ImageContent c = DemoLikeContent(ImageKind::OnlySection1, 0, 0);
    for (int r = 0; r < 300; ++r) c.Section1.push_back(MakeBlock(r, 0xFF, 0));
    c.StoredSection1Checksum = 10964;
    FirmwareImage image;
    const ImageLoadResult r = Decode(EncodeImage(c), image);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(r.Section1Sum, 10964);
}

TEST(ImageDecode, StringsUseKeyBytes8To15WrappingAndModelNameRestartsAtKey8) {
    ImageContent c = DemoLikeContent(ImageKind::OnlySection1, 1, 0);
    c.HeaderKey = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88};
    c.DeviceName = "ABCDEFGHIJ";  // 10 characters: the 9th uses key byte 8 again
    c.ModelName = "xy";
    const Bytes file = EncodeImage(c);
    EXPECT_EQ(file[32 + 8], 'I' ^ 0x81);
    EXPECT_EQ(file[32 + 9], 'J' ^ 0x82);
    EXPECT_EQ(file[42], 0);
    EXPECT_EQ(file[43], 'x' ^ 0x81);
    EXPECT_EQ(file[44], 'y' ^ 0x82);
    FirmwareImage image;
    ASSERT_TRUE(Decode(file, image).ok());
    EXPECT_EQ(image.DeviceName, "ABCDEFGHIJ");
    EXPECT_EQ(image.ModelName, "xy");
}

TEST(ImageDecode, HeaderValuesAreStoredScrambledWithTheKey) {
    const ImageContent c = DemoLikeContent(ImageKind::OnlySection1, 1, 0);
    const Bytes file = EncodeImage(c);
    EXPECT_EQ(file[0], 0x1A ^ 0x5A);  // 6865 = 0x1AD1
    EXPECT_EQ(file[1], 0xD1 ^ 0xC3);
    EXPECT_EQ(file[2], '1' ^ 0x17);
    EXPECT_EQ(file[3], 'H' ^ 0x8E);
    EXPECT_EQ(file[6], 0x02 ^ 0x6B);  // 512
    EXPECT_EQ(file[7], 0x00 ^ 0x94);
    EXPECT_EQ(file[8], 0x5A);
    EXPECT_EQ(file[16], 0);
    EXPECT_EQ(file[17], 1);
    EXPECT_EQ(file[30], 0);
    EXPECT_EQ(file[31], 1);
}

TEST(ImageDecode, CountAbove1024OrHighAddressFailsWithoutErrorCode) {
    FirmwareImage image;
    ImageContent c = DemoLikeContent(ImageKind::BothSections, 2, 2);
    c.StoredSection1Count = 1025;
    ImageLoadResult r = Decode(EncodeImage(c), image);
    EXPECT_EQ(r.fault, ImageFault::Unreadable);
    EXPECT_EQ(r.errorCode, "");
    EXPECT_NE(r.detail.find("1025"), std::string::npos) << r.detail;

    for (int section : {1, 2}) {
        ImageContent bad = DemoLikeContent(ImageKind::BothSections, 2, 2);
        (section == 1 ? bad.Section1 : bad.Section2)[1].address = 0x8000;
        r = Decode(EncodeImage(bad), image);
        EXPECT_EQ(r.fault, ImageFault::Unreadable) << section;
        EXPECT_NE(r.detail.find("0x8000"), std::string::npos) << r.detail;
    }
}

TEST(ImageDecode, ShortOrPartialFilesFailAndNothingIsReadPastTheEnd) {
    const Bytes whole = EncodeImage(DemoLikeContent(ImageKind::BothSections, 3, 2));
    FirmwareImage image;
    // Every cut: an exact-size copy, so a read past the end shows under ASan.
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        const ImageLoadResult r = Decode(cut, image);
        ASSERT_EQ(r.fault, ImageFault::Unreadable) << size;
        ASSERT_EQ(r.errorCode, "") << size;
    }
    Bytes longer = whole;
    longer.push_back(0);  // a partial record after complete sections
    EXPECT_EQ(Decode(longer, image).fault, ImageFault::Unreadable);
    longer.resize(whole.size() + ImageRecordBytes);  // a whole spare record is harmless
    EXPECT_TRUE(Decode(longer, image).ok());
}

TEST(ImageDecode, StringsRunningPastTheRecordFail) {
    FirmwareImage image;
    ImageContent c = DemoLikeContent();
    c.UnterminatedDeviceName = true;
    ImageLoadResult r = Decode(EncodeImage(c), image);
    EXPECT_EQ(r.fault, ImageFault::Unreadable);
    EXPECT_NE(r.detail.find("DeviceName"), std::string::npos);

    // DeviceName ending on byte 130 leaves no room for ModelName.
    Bytes file = EncodeImage(DemoLikeContent());
    for (std::size_t p = 32; p < 130; ++p) file[p] = 0x33;
    file[130] = 0;
    r = Decode(file, image);
    EXPECT_EQ(r.fault, ImageFault::Unreadable);
    EXPECT_NE(r.detail.find("ModelName"), std::string::npos);

    // The longest names that fit: 96 + zero + 1 + zero end exactly on byte 130.
    ImageContent fits = DemoLikeContent();
    fits.HeaderKey = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    fits.DeviceName = std::string(96, 'd');
    fits.ModelName = "m";
    r = Decode(EncodeImage(fits), image);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(image.ModelName, "m");
    fits.ModelName = "mm";
    EXPECT_THROW(EncodeImage(fits), std::invalid_argument);
}

TEST(ImageDecode, EmptyNamesRememberCodes4And5AndTheLoadGoesOn) {
    FirmwareImage image;
    ImageContent c = DemoLikeContent();
    c.DeviceName = "";
    ImageLoadResult r = Decode(EncodeImage(c), image);
    EXPECT_EQ(r.fault, ImageFault::EmptyDeviceName);
    EXPECT_EQ(r.errorCode, "4");
    EXPECT_EQ(image.Section2BlockCount, 2);  // blocks were still read

    c.ModelName = "";
    r = Decode(EncodeImage(c), image);
    EXPECT_EQ(r.errorCode, "5");

    ImageContent noModel = DemoLikeContent();
    noModel.ModelName = "";
    noModel.StoredSection1Checksum = 0;  // checksums are not looked at after a name fault
    r = Decode(EncodeImage(noModel), image);
    EXPECT_EQ(r.fault, ImageFault::EmptyModelName);
    EXPECT_EQ(r.errorCode, "5");
}

TEST(ImageDecode, ParameterField4GivesMinimumVersionAndRevision) {
    const Bytes file = EncodeImage(DemoLikeContent());
    FirmwareImage image;
    ASSERT_TRUE(Decode(file, image, "MERO|VOR|512|6865|1A05").ok());
    EXPECT_EQ(image.MinimumVersion, "1A");
    EXPECT_EQ(image.ConfigRevision, 5);
    ASSERT_TRUE(Decode(file, image, "MERO|VOR|512|6865|1B").ok());
    EXPECT_EQ(image.MinimumVersion, "1B");
    EXPECT_EQ(image.ConfigRevision, 0);
    ASSERT_TRUE(Decode(file, image, "MERO|VOR|512|6865|1AX9").ok());
    EXPECT_EQ(image.ConfigRevision, 0);  // not a number

    const ImageLoadResult noField = Decode(file, image, "MERO|VOR|512|6865");
    EXPECT_EQ(noField.fault, ImageFault::Unreadable);
    EXPECT_EQ(Decode(file, image, "MERO|VOR|512|6865|1A-5").fault, ImageFault::Unreadable);
}

TEST(ImageEncode, RefusesWhatCannotBeStored) {
    ImageContent c = DemoLikeContent();
    c.DeviceName = "Z";  // 'Z' = 0x5A, key byte 8
    EXPECT_THROW(EncodeImage(c), std::invalid_argument);
    c = DemoLikeContent();
    c.ImageVersion = "1";
    EXPECT_THROW(EncodeImage(c), std::invalid_argument);
    c = DemoLikeContent();
    c.Section1 = MakeBlocks(1025, 0);
    EXPECT_THROW(EncodeImage(c), std::invalid_argument);
    c = DemoLikeContent();
    c.ModelNumber = 0x10000;
    EXPECT_THROW(EncodeImage(c), std::invalid_argument);
}
