#pragma once
// The password-protected language database: one row per message number, one text
// column per language. Opened once at start-up; every lookup is one indexed seek.

#include <cstdint>
#include <memory>
#include <string>

namespace vor {

// The language database's name in the program folder.
constexpr const char* LanguageDbFile = "FirmwareUpdate.lng";

class LanguageDb {
public:
    LanguageDb();
    ~LanguageDb();
    LanguageDb(const LanguageDb&) = delete;
    LanguageDb& operator=(const LanguageDb&) = delete;

    // Opens the file with the password and both tables ("CONTENTS", "LANGUAGES").
    // False on any failure (missing file, not a regular file, wrong password, missing
    // table or index "ID", no language field, missing or empty "LANGUAGES");
    // lastError() says why. The caller shows the failure box. When only "LANGUAGES"
    // failed, "CONTENTS" stays open: isOpen() is true and every text can be looked up.
    // A languageColumn that is not a field of "CONTENTS" falls back to column 1 (the
    // open still succeeds; warning() says so) so that the program shows texts instead
    // of failing every lookup.
    bool OpenLanguageDb(const std::string& path, const std::string& password, int languageColumn);

    // The text of `number` in the current language; empty when the number is unknown,
    // its field holds no value, or the database is not open. Never caches.
    std::string GetText(std::int32_t number);

    void Close();
    bool isOpen() const;
    const std::string& lastError() const { return lastError_; }
    const std::string& warning() const { return warning_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string lastError_;
    std::string warning_;
};

}  // namespace vor
