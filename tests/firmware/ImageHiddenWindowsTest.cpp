// On Windows an image with the hidden or system attribute counts as missing, as a
// dot-file does everywhere (run under Wine).
#include <gtest/gtest.h>
#include <windows.h>

#include "firmware/ImageLoader.h"
#include "session/WizardState.h"
#include "tests/firmware/ImageTestSupport.h"

using namespace vor;
using namespace vor::test;

TEST(ImageHiddenOnWindows, AHiddenOrSystemImageIsMissingAndSaysWhy) {
    for (const DWORD attribute : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM}}) {
        TempFolder folder;
        const auto path = folder.write("VOR.1H.FWR", EncodeImage(DemoLikeContent()));
        ASSERT_TRUE(FileExists(path));
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), attribute));
        EXPECT_FALSE(FileExists(path));
        EXPECT_NE(ImageFileProblem(path).find(attribute == FILE_ATTRIBUTE_HIDDEN ? "hidden" : "system"),
                  std::string::npos);
        RecordingServices services;
        WizardState state;
        FirmwareImage image;
        EXPECT_FALSE(GetCode(path, services, state, image, Parameters).ok());
        EXPECT_TRUE(state.CommError);
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
    }
}
