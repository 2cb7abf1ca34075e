// The FirmwareUpdate.lng that the build puts into the program folder, read through the
// program's own lookup (on Windows too, where SQLCipher is another build of it).

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "resources/StringResources.h"
#include "session/Messages.h"
#include "session/Utf8Path.h"
#include "texts/LanguageDb.h"
#include "texts/SqlCipherConnection.h"

using namespace vor;

namespace {

const std::string ProgramDir = VOR_PROGRAM_DIR;
const std::string ShippedDb = ProgramDir + "/FirmwareUpdate.lng";

constexpr int LanguageCount = 3;

class ShippedLanguageDb : public ::testing::Test {
protected:
    void open(int column) {
        ASSERT_TRUE(db_.OpenLanguageDb(ShippedDb, LoadResString(ResDatabasePassword), column)) << db_.lastError();
        ASSERT_EQ(db_.warning(), "");
    }
    LanguageDb db_;
};

TEST_F(ShippedLanguageDb, OpensWithTheBuiltInPasswordAndGivesTheTitleInEachLanguage) {
    open(1);
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware Update");
    open(2);
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware-Update");
    open(3);
    EXPECT_EQ(db_.GetText(Msg::Title), "Mise à jour du firmware");
}

// Another copy of the program holding the file a moment (on Windows a reader takes a
// lock too) delays a lookup; it never turns a text into the empty text.
TEST_F(ShippedLanguageDb, LookupWaitsForALockAnotherCopyHoldsAMoment) {
    namespace fs = std::filesystem;
    const fs::path copy =
        fs::temp_directory_path() /
        ("vor-busy-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".lng");
    fs::copy_file(fs::path(std::u8string(ShippedDb.begin(), ShippedDb.end())), copy);
    const std::string password = LoadResString(ResDatabasePassword);
    ASSERT_TRUE(db_.OpenLanguageDb(Utf8Of(copy), password, 1)) << db_.lastError();
    SqlCipherConnection other;
    ASSERT_TRUE(other.open(Utf8Of(copy), password, SqlCipherConnection::Mode::ReadWrite)) << other.error();
    ASSERT_TRUE(other.exec("BEGIN EXCLUSIVE")) << other.error();
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other.exec("COMMIT");
    });
    EXPECT_EQ(db_.GetText(Msg::Title), "Firmware Update") << db_.lastError();
    release.join();
    db_.Close();
    other.close();
    fs::remove(copy);
}

TEST_F(ShippedLanguageDb, EveryMessageOfTheProgramHasTextInAllThreeLanguages) {
    for (int column = 1; column <= LanguageCount; ++column) {
        open(column);
        for (std::int32_t number : Msg::AllMessages) {
            const std::string text = db_.GetText(number);
            EXPECT_FALSE(text.empty()) << "message " << number << " column " << column;
            // Only the questions about which profile the DC gets are laid out in paragraphs.
            if (number != Msg::RecoveryQuestion && number != Msg::ProfileChoiceQuestion &&
                number != Msg::RestoreQuestion) {
                EXPECT_EQ(text.find('\n'), std::string::npos) << number;
            }
        }
    }
}

// Texts that the program joins to other text must fit the joints.
TEST_F(ShippedLanguageDb, TextsFitThePlacesThatJoinThem) {
    for (int column = 1; column <= LanguageCount; ++column) {
        open(column);
        // "<NotForThisDc><DeviceName>!" in the task log needs its trailing blank.
        EXPECT_EQ(db_.GetText(Msg::NotForThisDc).back(), ' ') << column;
        // "<CableNotFound>." and "<ImageDamaged> 4!": the program adds the punctuation.
        for (std::int32_t joined : {Msg::CableNotFound, Msg::ImageDamaged, Msg::Version}) {
            const char last = db_.GetText(joined).back();
            EXPECT_TRUE(last != '.' && last != '!' && last != ' ') << joined << " column " << column;
        }
        // Buttons, column headers and statuses are short captions.
        for (std::int32_t caption : {Msg::CloseCaption, Msg::Failed, Msg::TimeColumn, Msg::StatusColumn, Msg::Done,
                                     Msg::BackCaption, Msg::NextCaption, Msg::EventColumn}) {
            EXPECT_LE(db_.GetText(caption).size(), 20u) << caption << " column " << column;
        }
    }
}

}  // namespace
