#include "texts/LanguageDb.h"

#include <sqlite3.h>

#include "texts/SqlCipherConnection.h"
#include "texts/SqlIdentifier.h"

namespace vor {

struct LanguageDb::Impl {
    SqlCipherConnection connection;
    sqlite3_stmt* lookup = nullptr;
    int column = 1;

    ~Impl() { sqlite3_finalize(lookup); }
};

LanguageDb::LanguageDb() = default;
LanguageDb::~LanguageDb() = default;

namespace {

// Name of field 0 of "CONTENTS"; empty when the table does not exist.
std::string FirstFieldOfContents(sqlite3* db) {
    sqlite3_stmt* info = nullptr;
    std::string name;
    if (sqlite3_prepare_v2(db, "PRAGMA table_info(\"CONTENTS\")", -1, &info, nullptr) == SQLITE_OK &&
        sqlite3_step(info) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(info, 1);
        if (text) name = reinterpret_cast<const char*>(text);
    }
    sqlite3_finalize(info);
    return name;
}

// Opening the database also opens a cursor on "LANGUAGES": it must find a first row.
std::string CheckLanguagesTable(sqlite3* db) {
    sqlite3_stmt* first = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM \"LANGUAGES\" LIMIT 1", -1, &first, nullptr) != SQLITE_OK) {
        std::string reason = std::string("no table LANGUAGES: ") + sqlite3_errmsg(db);
        sqlite3_finalize(first);
        return reason;
    }
    const int rc = sqlite3_step(first);
    sqlite3_finalize(first);
    if (rc == SQLITE_ROW) return {};
    if (rc == SQLITE_DONE) return "table LANGUAGES has no rows";
    return std::string("cannot read table LANGUAGES: ") + sqlite3_errmsg(db);
}

}  // namespace

bool LanguageDb::OpenLanguageDb(const std::string& path, const std::string& password, int languageColumn) {
    Close();
    lastError_.clear();
    warning_.clear();
    auto impl = std::make_unique<Impl>();
    if (!impl->connection.open(path, password, SqlCipherConnection::Mode::ReadOnly)) {
        lastError_ = impl->connection.error();
        return false;
    }
    sqlite3* db = impl->connection.handle();

    const std::string key = FirstFieldOfContents(db);
    if (key.empty()) {
        lastError_ = "no table CONTENTS in " + path;
        return false;
    }
    // INDEXED BY makes the lookup a seek on "ID" and fails to prepare without that index.
    const std::string sql = "SELECT * FROM \"CONTENTS\" INDEXED BY \"ID\" WHERE " + QuoteSqlIdentifier(key) + " = ?1";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &impl->lookup, nullptr) != SQLITE_OK) {
        lastError_ = "table CONTENTS cannot be searched by its index ID: " + impl->connection.engineMessage();
        return false;
    }
    const int fields = sqlite3_column_count(impl->lookup);
    if (fields < 2) {
        lastError_ = "table CONTENTS has no language field";
        return false;
    }
    impl->column = languageColumn;
    if (languageColumn < 1 || languageColumn >= fields) {
        warning_ = "language column " + std::to_string(languageColumn) + " is not in the table; using column 1";
        impl->column = 1;
    }
    // CONTENTS is usable from here on: a fault in LANGUAGES fails the open but keeps
    // the texts, so the failure box and everything after it can still be read.
    impl_ = std::move(impl);
    if (std::string reason = CheckLanguagesTable(db); !reason.empty()) {
        lastError_ = reason;
        return false;
    }
    return true;
}

std::string LanguageDb::GetText(std::int32_t number) {
    if (!impl_) return {};
    sqlite3_stmt* lookup = impl_->lookup;
    sqlite3_reset(lookup);
    sqlite3_bind_int(lookup, 1, number);
    std::string text;
    const int rc = sqlite3_step(lookup);
    if (rc == SQLITE_ROW) {
        const unsigned char* value = sqlite3_column_text(lookup, impl_->column);
        if (value) {
            text.assign(reinterpret_cast<const char*>(value),
                        static_cast<std::size_t>(sqlite3_column_bytes(lookup, impl_->column)));
        }
    } else if (rc != SQLITE_DONE) {
        lastError_ = "lookup of message " + std::to_string(number) + " failed: " + impl_->connection.engineMessage();
    }
    // Reset at once so that no read transaction stays open between lookups.
    sqlite3_reset(lookup);
    return text;
}

void LanguageDb::Close() { impl_.reset(); }

bool LanguageDb::isOpen() const { return impl_ != nullptr; }

}  // namespace vor
