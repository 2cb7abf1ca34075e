#include "profile/FileFacts.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "session/BlockTable.h"

namespace vor {
namespace {
constexpr int BytesPerKilobyte = 1024;
}  // namespace

std::string DateText(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year % 10000, t.month % 100, t.day % 100,
                  t.hour % 100, t.minute % 100);
    return text;
}

std::string FileDateText(const std::filesystem::path& file) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(file, ec);
    if (ec) return "?";
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    const std::tm* local = std::localtime(&seconds);
    if (!local) return "?";
    return DateText(
        {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec});
}

std::string KilobytesOf(int blocks) {
    return std::to_string((blocks * BlockDataBytes + BytesPerKilobyte - 1) / BytesPerKilobyte);
}

}  // namespace vor
