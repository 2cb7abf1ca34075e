// vor-tool image: build a firmware image from a text description, or inspect one
// with the program's own loader.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

#include "firmware/ImageCodec.h"
#include "firmware/ImageDescription.h"
#include "firmware/ImageLoader.h"
#include "resources/StringResources.h"
#include "tools/ToolCommands.h"

namespace vor::tool {

namespace {

constexpr const char* Usage =
    "usage: vor-tool image build DESCRIPTION OUT.FWR [--corrupt-checksum 1|2] [--corrupt-string]\n"
    "                            [--corrupt-address N] [--truncate BYTES]\n"
    "       vor-tool image inspect FILE\n"
    "  --corrupt-checksum S  store a wrong checksum for section S\n"
    "  --corrupt-string      DeviceName runs past the header record's last byte\n"
    "  --corrupt-address N   block N (counted from 1 over section 1, then section 2) gets address 0x8000 or more\n"
    "  --truncate BYTES      keep only the first BYTES bytes of the file\n";

int UsageError(const std::string& why) {
    std::fprintf(stderr, "vor-tool image: %s\n%s", why.c_str(), Usage);
    return 2;
}

long ParseCount(const std::string& text, const char* option) {
    std::size_t used = 0;
    long value = -1;
    try {
        value = std::stol(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 0) throw std::invalid_argument(std::string(option) + " needs a number >= 0");
    return value;
}

int Build(const Args& args) {
    if (args.size() < 3) return UsageError("build needs DESCRIPTION and OUT.FWR");
    const std::string& descriptionPath = args[1];
    const std::string& outPath = args[2];
    std::ifstream in(descriptionPath);
    if (!in) return UsageError("cannot read " + descriptionPath);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    try {
        ImageContent content = ParseImageDescription(text);
        std::optional<long> truncate;
        for (std::size_t i = 3; i < args.size(); ++i) {
            const std::string& opt = args[i];
            const bool hasValue = i + 1 < args.size();
            if (opt == "--corrupt-string") {
                content.UnterminatedDeviceName = true;
            } else if (opt == "--corrupt-checksum" && hasValue) {
                const std::string& which = args[++i];
                if (which == "1")
                    content.StoredSection1Checksum = (SectionChecksum(content.Section1) + 1) & 0xFFFF;
                else if (which == "2")
                    content.StoredSection2Checksum = (SectionChecksum(content.Section2) + 1) & 0xFFFF;
                else
                    return UsageError("--corrupt-checksum takes 1 or 2");
            } else if (opt == "--corrupt-address" && hasValue) {
                const long n = ParseCount(args[++i], "--corrupt-address");
                const bool s1 = content.Kind != ImageKind::OnlySection2;
                const bool s2 = content.Kind != ImageKind::OnlySection1;
                const long n1 = s1 ? static_cast<long>(content.Section1.size()) : 0;
                const long n2 = s2 ? static_cast<long>(content.Section2.size()) : 0;
                if (n < 1 || n > n1 + n2) return UsageError("--corrupt-address: no block " + std::to_string(n));
                ImageBlock& b = n <= n1 ? content.Section1[static_cast<std::size_t>(n - 1)]
                                        : content.Section2[static_cast<std::size_t>(n - n1 - 1)];
                b.address |= 0x8000;
            } else if (opt == "--truncate" && hasValue) {
                truncate = ParseCount(args[++i], "--truncate");
            } else {
                return UsageError("unknown option " + opt);
            }
        }
        std::vector<std::uint8_t> bytes = EncodeImage(content);
        if (truncate && static_cast<std::size_t>(*truncate) < bytes.size())
            bytes.resize(static_cast<std::size_t>(*truncate));
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "vor-tool image: cannot write %s\n", outPath.c_str());
            return 1;
        }
        std::printf("%s: %zu bytes\n", outPath.c_str(), bytes.size());
        return 0;
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "vor-tool image: %s: %s\n", descriptionPath.c_str(), e.what());
        return 1;
    }
}

const char* KindName(ImageKind kind) {
    switch (kind) {
    case ImageKind::OnlySection1: return "OnlySection1";
    case ImageKind::OnlySection2: return "OnlySection2";
    case ImageKind::BothSections: return "BothSections";
    default: return "None";
    }
}

void PrintBlocks(const BlockTable& table, int count, int section) {
    for (int r = 0; r < count; ++r) {
        std::printf("block %d.%d address 0x%04X check 0x%02X\n", section, r + 1,
                    static_cast<unsigned>(table[r][0]) & 0xFFFF,
                    static_cast<unsigned>(table[r][BlockTableColumns - 1]));
    }
}

bool IsChecksumFault(ImageFault f) {
    return f == ImageFault::ChecksumError1 || f == ImageFault::ChecksumError2 || f == ImageFault::ChecksumError3;
}

int Inspect(const Args& args) {
    if (args.size() != 2) return UsageError("inspect needs FILE");
    FirmwareImage image;
    const ImageLoadResult result = LoadImageFile(args[1], LoadResString(ResParameters), image);
    if (!result.ok() && !IsChecksumFault(result.fault)) {
        std::fprintf(stderr, "bad image: %s\n", result.detail.c_str());
        return 1;
    }
    const bool s1 = !image.OnlySection2();
    const bool s2 = !image.OnlySection1();
    std::printf("ModelNumber %d\nImageVersion %s\nMemorySize %d\nImageRevision %u\n", image.ModelNumber,
                image.ImageVersion.c_str(), image.MemorySize, static_cast<unsigned>(image.ImageRevision));
    std::printf("DeviceName %s\nModelName %s\nKind %s\n", image.DeviceName.c_str(), image.ModelName.c_str(),
                KindName(image.Kind));
    if (s1) {
        std::printf("Section1BlockCount %d\nSection1 computed 0x%04X stored 0x%04X\n", image.Section1BlockCount,
                    static_cast<unsigned>(result.Section1Sum), static_cast<unsigned>(image.Section1Checksum));
    }
    if (s2) {
        std::printf("Section2BlockCount %d\nSection2 computed 0x%04X stored 0x%04X\nSection2Argument 0x%04X\n",
                    image.Section2BlockCount, static_cast<unsigned>(result.Section2Sum),
                    static_cast<unsigned>(image.Section2Checksum), static_cast<unsigned>(image.Section2Argument));
    }
    if (s1) PrintBlocks(image.Section1Blocks, image.Section1BlockCount, 1);
    if (s2) PrintBlocks(image.Section2Blocks, image.Section2BlockCount, 2);
    if (!result.ok()) {
        std::fprintf(stderr, "bad image: %s\n", result.detail.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int ImageCommand(const Args& args) {
    if (args.empty()) return UsageError("missing build or inspect");
    if (args[0] == "build") return Build(args);
    if (args[0] == "inspect") return Inspect(args);
    return UsageError("unknown image command " + args[0]);
}

}  // namespace vor::tool
