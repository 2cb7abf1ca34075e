#pragma once
// Shared helpers of the image tests: a recording WizardServices, image content
// builders and temporary files.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "firmware/ImageCodec.h"
#include "session/Messages.h"
#include "session/WizardServices.h"

namespace vor::test {

// Records every call as one line, in order. GetText(N) answers "mN".
inline std::string m(std::int32_t number) { return "m" + std::to_string(number); }

class RecordingServices : public WizardServices {
public:
    std::vector<std::string> calls;

    void InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) override {
        calls.push_back("row " + std::to_string(iconInd) + " [" + s1 + "] [" + s2 + "]");
    }
    void SetTaskStatus(const std::string& s) override { calls.push_back("status [" + s + "]"); }
    void ResetStage() override { calls.push_back("reset"); }
    std::string GetText(std::int32_t number) override { return m(number); }
    BoxAnswer MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                         const std::string& text) override {
        calls.push_back(std::string("box ") + (icon == BoxIcon::Critical ? "critical" : "other") +
                        (buttons == BoxButtons::Ok ? " ok" : " other") + " [" + caption + "] [" + text + "]");
        return BoxAnswer::Ok;
    }
    int SetProcessPriority(int priorityClass) override {
        calls.push_back("priority " + std::to_string(priorityClass));
        return priorityClass;
    }
};

inline ImageBlock MakeBlock(int address, std::uint8_t check, std::uint8_t fill) {
    ImageBlock b;
    b.address = address;
    for (std::size_t j = 0; j < b.data.size(); ++j) b.data[j] = static_cast<std::uint8_t>(fill + j);
    b.check = check;
    return b;
}

inline std::vector<ImageBlock> MakeBlocks(int count, int start, std::uint8_t check = 0x11) {
    std::vector<ImageBlock> blocks;
    for (int r = 0; r < count; ++r) {
        blocks.push_back(
            MakeBlock(start + r * 0x80, static_cast<std::uint8_t>(check + r), static_cast<std::uint8_t>(r)));
    }
    return blocks;
}

// The demo fixture's header with small sections.
inline ImageContent DemoLikeContent(ImageKind kind = ImageKind::BothSections, int count1 = 3, int count2 = 2) {
    ImageContent c;
    c.ModelNumber = 6865;
    c.ImageVersion = "1H";
    c.MemorySize = 512;
    c.ImageRevision = 3;
    c.Section2Argument = 0x1234;
    c.DeviceName = "VOR Watch DC";
    c.ModelName = "VOR";
    c.Kind = kind;
    c.HeaderKey = {0x5A, 0xC3, 0x17, 0x8E, 0x21, 0xF0, 0x6B, 0x94};
    c.Section1 = MakeBlocks(count1, 0x0000);
    c.Section2 = MakeBlocks(count2, 0x4000, 0x40);
    return c;
}

constexpr const char* Parameters = "MERO|VOR|512|6865|1A";

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("vor-image-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    std::filesystem::path path_;
};

}  // namespace vor::test
