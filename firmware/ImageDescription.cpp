#include "firmware/ImageDescription.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vor {

namespace {

constexpr int DefaultBlockStep = 0x80;
constexpr int AddressSpace = ImageMaxBlockAddress + 1;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

struct Section {
    int count = 0;
    int start = 0;
    int step = DefaultBlockStep;
};

struct Parser {
    int line = 0;

    [[noreturn]] void fail(const std::string& why) const {
        throw std::invalid_argument("line " + std::to_string(line) + ": " + why);
    }

    long long number(std::string_view v, long long lo, long long hi) const {
        int base = 10;
        if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
            base = 16;
            v.remove_prefix(2);
        }
        long long value = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value, base);
        if (ec != std::errc() || end != v.data() + v.size() || v.empty()) fail("not a number: " + std::string(v));
        if (value < lo || value > hi) {
            fail(std::to_string(value) + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
        }
        return value;
    }

    std::vector<std::uint8_t> hexBytes(std::string_view v) const {
        std::vector<std::uint8_t> bytes;
        std::size_t i = 0;
        while (i < v.size()) {
            if (v[i] == ' ' || v[i] == '\t' || v[i] == ',') {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < v.size() && v[j] != ' ' && v[j] != '\t' && v[j] != ',') ++j;
            const std::string_view token = v.substr(i, j - i);
            unsigned value = 0;
            const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, 16);
            if (ec != std::errc() || end != token.data() + token.size() || value > 0xFF) {
                fail("not a hex byte: " + std::string(token));
            }
            bytes.push_back(static_cast<std::uint8_t>(value));
            i = j;
        }
        return bytes;
    }
};

// A small deterministic generator (xorshift32) so a seed always gives the same image.
class DataGenerator {
public:
    explicit DataGenerator(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint8_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<std::uint8_t>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

std::vector<ImageBlock> MakeBlocks(const Section& s, DataGenerator& gen,
                                   const std::optional<std::vector<std::uint8_t>>& data,
                                   const std::optional<std::uint8_t>& check) {
    std::vector<ImageBlock> blocks(static_cast<std::size_t>(s.count));
    for (int r = 0; r < s.count; ++r) {
        ImageBlock& b = blocks[static_cast<std::size_t>(r)];
        b.address =
            static_cast<int>((static_cast<long long>(s.start) + static_cast<long long>(r) * s.step) % AddressSpace);
        unsigned sum = 0;
        for (std::size_t j = 0; j < BlockDataBytes; ++j) {
            b.data[j] = data ? (*data)[j] : gen.next();
            sum += b.data[j];
        }
        b.check = check.value_or(static_cast<std::uint8_t>(sum & 0xFF));
    }
    return blocks;
}

}  // namespace

ImageContent ParseImageDescription(std::string_view text) {
    ImageContent content;
    Section sections[2];
    std::uint32_t seed = 1;
    std::optional<std::vector<std::uint8_t>> data;
    std::optional<std::uint8_t> check;
    Parser p;

    while (!text.empty()) {
        ++p.line;
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        line = Trim(line);
        if (line.empty()) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) p.fail("expected key = value");
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));

        if (key == "model")
            content.ModelNumber = static_cast<int>(p.number(value, 0, 0xFFFF));
        else if (key == "version") {
            if (value.size() != 2) p.fail("version must be 2 characters");
            content.ImageVersion = std::string(value);
        } else if (key == "memory")
            content.MemorySize = static_cast<int>(p.number(value, 0, 0xFFFF));
        else if (key == "revision")
            content.ImageRevision = static_cast<std::uint8_t>(p.number(value, 0, 0xFF));
        else if (key == "argument")
            content.Section2Argument = static_cast<int>(p.number(value, 0, 0xFFFF));
        else if (key == "device")
            content.DeviceName = std::string(value);
        else if (key == "model-name")
            content.ModelName = std::string(value);
        else if (key == "kind") {
            if (value == "section1")
                content.Kind = ImageKind::OnlySection1;
            else if (value == "section2")
                content.Kind = ImageKind::OnlySection2;
            else if (value == "both")
                content.Kind = ImageKind::BothSections;
            else
                p.fail("kind must be section1, section2 or both");
        } else if (key == "key") {
            const std::vector<std::uint8_t> bytes = p.hexBytes(value);
            if (bytes.size() != HeaderKeyBytes) p.fail("key must be 8 hex bytes");
            std::copy(bytes.begin(), bytes.end(), content.HeaderKey.begin());
        } else if (key == "seed")
            seed = static_cast<std::uint32_t>(p.number(value, 0, 0xFFFFFFFFLL));
        else if (key == "data") {
            data = p.hexBytes(value);
            if (data->size() != BlockDataBytes) p.fail("data must be 128 hex bytes");
        } else if (key == "check")
            check = static_cast<std::uint8_t>(p.number(value, 0, 0xFF));
        else if (key.size() > 9 && (key.starts_with("section1.") || key.starts_with("section2."))) {
            Section& s = sections[key[7] - '1'];
            const std::string_view field = key.substr(9);
            if (field == "count")
                s.count = static_cast<int>(p.number(value, 0, ImageMaxBlocks));
            else if (field == "start")
                s.start = static_cast<int>(p.number(value, 0, ImageMaxBlockAddress));
            else if (field == "step")
                s.step = static_cast<int>(p.number(value, 0, ImageMaxBlockAddress));
            else
                p.fail("unknown key " + std::string(key));
        } else
            p.fail("unknown key " + std::string(key));
    }

    DataGenerator gen(seed);
    content.Section1 = MakeBlocks(sections[0], gen, data, check);
    content.Section2 = MakeBlocks(sections[1], gen, data, check);
    return content;
}

}  // namespace vor
