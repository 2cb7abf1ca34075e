#include <gtest/gtest.h>

#include "profile/BackupFormat.h"
#include "profile/Sha256.h"
#include "session/ProgressText.h"
#include "tests/profile/ProfileFixture.h"

using namespace vor;
using vor::test::Bytes;
using vor::test::FileView;

TEST(BackupFormat, LaysOutHeaderDigitsAndTableColumnByColumnLittleEndian) {
    ProfileHeaderBytes header{};
    for (std::size_t i = 0; i < header.size(); ++i) header[i] = static_cast<std::uint8_t>(0xA0 + i);
    SerialDigitBytes digits{};
    digits[4] = 4;
    digits[5] = 2;
    BlockTable table;
    table[0][0] = 0x0123;
    table[1][0] = -2;  // two's complement
    table[1023][129] = 0x7F01;
    table[5][64] = 0xAB;

    const auto bytes = EncodeBackup(header, digits, table);
    ASSERT_EQ(bytes.size(), 266274u);
    FileView f{bytes};
    EXPECT_EQ(f.header(), Bytes(header.begin(), header.end()));
    EXPECT_EQ(f.digits(), Bytes(digits.begin(), digits.end()));
    EXPECT_EQ(bytes[34], 0x23);
    EXPECT_EQ(bytes[35], 0x01);
    EXPECT_EQ(bytes[36], 0xFE);
    EXPECT_EQ(bytes[37], 0xFF);
    EXPECT_EQ(f.value(5, 64), 0xAB);
    EXPECT_EQ(bytes[266272], 0x01);  // last element: row 1023, column 129
    EXPECT_EQ(bytes[266273], 0x7F);

    const auto back = DecodeBackup(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->blocks[1][0], -2);
    EXPECT_EQ(back->blocks[1023][129], 0x7F01);
    EXPECT_EQ(back->blocks[5][64], 0xAB);
    EXPECT_EQ(back->header, header);
    EXPECT_EQ(back->digits, digits);
}

TEST(BackupFormat, OnlyTheExactSizeDecodes) {
    EXPECT_FALSE(DecodeBackup(std::vector<std::uint8_t>(266273)));
    EXPECT_FALSE(DecodeBackup(std::vector<std::uint8_t>(266275)));
    EXPECT_FALSE(DecodeBackup({}));
    EXPECT_TRUE(DecodeBackup(std::vector<std::uint8_t>(266274)));
}

// The digest beside a backup is what `sha256sum -c` checks: the standard's own vectors.
TEST(BackupFormat, DigestIsSha256) {
    const std::string abc = "abc";
    EXPECT_EQ(Sha256Hex(std::vector<std::uint8_t>(abc.begin(), abc.end())),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(std::vector<std::uint8_t>(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(BackupFormat, FileNameHasModelAndAtLeastSixSerialDigits) {
    EXPECT_EQ(BackupFileName(7, 42), "7.000042.bin");
    EXPECT_EQ(BackupFileName(6865, 12345), "6865.012345.bin");
    EXPECT_EQ(BackupFileName(6865, 1666665), "6865.1666665.bin");
}

TEST(ProgressText, RoundsHalvesToEven) {
    EXPECT_EQ(PercentText(1, 3), "33%");
    EXPECT_EQ(PercentText(2, 3), "67%");
    EXPECT_EQ(PercentText(3, 3), "100%");
    EXPECT_EQ(PercentText(1, 8), "12%");   // 12.5
    EXPECT_EQ(PercentText(3, 8), "38%");   // 37.5
    EXPECT_EQ(PercentText(1, 200), "0%");  // 0.5
    EXPECT_EQ(PercentText(3, 200), "2%");  // 1.5
    EXPECT_EQ(PercentText(1, 1), "100%");
}
