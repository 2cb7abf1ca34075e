#include "resources/StringResources.h"

#include <array>
#include <cstdio>

namespace vor {

std::string LoadResString(int id) {
    switch (id) {
    case ResSetupRecord: return "VOR.1H.FWR|C88CF806||5000";
    case ResDatabasePassword: return "(&61%]#?.=+04$*}=TBw";
    case ResParameters: return "MERO|VOR|512|6865|1A";
    default: return {};
    }
}

std::vector<std::string> SplitFields(std::string_view text, char sep) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(sep, start);
        if (end == std::string_view::npos) {
            fields.emplace_back(text.substr(start));
            return fields;
        }
        fields.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::uint32_t Crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

static std::string IntegrityOf(const std::vector<std::string>& fields) {
    std::string joined = fields.empty() ? std::string() : fields[0];
    for (std::size_t i = 2; i < fields.size(); ++i) joined += "|" + fields[i];
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(Crc32(joined)));
    return hex;
}

bool SetupRecordIntact(const std::vector<std::string>& fields) {
    if (fields.size() < 2) return false;
    return fields[1] == IntegrityOf(fields);
}

std::string MakeSetupRecord(const std::string& imageFile, const std::string& closeProgram,
                            const std::string& languageCode) {
    std::vector<std::string> fields{imageFile, "", closeProgram, languageCode};
    fields[1] = IntegrityOf(fields);
    return imageFile + "|" + fields[1] + "|" + closeProgram + "|" + languageCode;
}

}  // namespace vor
