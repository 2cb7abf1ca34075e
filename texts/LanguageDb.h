#pragma once
// The password-protected language database: one row per message number, one text
// column per language. Opened once at start-up; every lookup is one indexed seek.

#include <cstdint>
#include <string>

namespace vor {

class LanguageDb {
public:
    LanguageDb();
    ~LanguageDb();
    LanguageDb(const LanguageDb&) = delete;
    LanguageDb& operator=(const LanguageDb&) = delete;

    // Opens the file with the password and both tables ("CONTENTS", "LANGUAGES").
    // False on any failure (missing file, wrong password, missing table); lastError()
    // says why. The caller shows the failure box.
    bool OpenLanguageDb(const std::string& path, const std::string& password, int languageColumn);

    // The text of `number` in the current language; empty when the number is unknown
    // or the database is not open.
    std::string GetText(std::int32_t number);

    void Close();
    bool isOpen() const;
    const std::string& lastError() const { return lastError_; }

private:
    struct Impl;
    Impl* impl_;
    std::string lastError_;
};

}  // namespace vor
