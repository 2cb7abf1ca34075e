#include "texts/LanguageDbWriter.h"

#include <sqlite3.h>

#include <filesystem>
#include <limits>
#include <system_error>

#include "texts/SqlCipherConnection.h"
#include "texts/SqlIdentifier.h"

namespace vor {

namespace {

// Owns one prepared statement.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }

    void bindText(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    // Steps once and resets; true when the statement ran to its end.
    bool runOnce() {
        const int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

std::string TextColumnName(std::size_t column) { return "Text" + std::to_string(column); }

std::string CheckTable(const MessageTable& table) {
    if (table.languages.empty()) return "the table names no language";
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const MessageRow& row = table.rows[i];
        if (row.texts.size() != table.languages.size())
            return "message " + std::to_string(row.number) + " has the wrong number of texts";
        if (i > 0 && row.number <= table.rows[i - 1].number)
            return "message " + std::to_string(row.number) + " is duplicate or out of order";
    }
    return {};
}

std::string SchemaSql(std::size_t languages) {
    std::string contents = "CREATE TABLE \"CONTENTS\" (\"Number\" INTEGER NOT NULL";
    for (std::size_t c = 1; c <= languages; ++c) contents += ", " + QuoteSqlIdentifier(TextColumnName(c)) + " TEXT";
    contents += ");";
    return contents +
           "CREATE UNIQUE INDEX \"ID\" ON \"CONTENTS\" (\"Number\");"
           "CREATE TABLE \"LANGUAGES\" (\"Column\" INTEGER PRIMARY KEY, \"Code\" INTEGER NOT NULL, "
           "\"Name\" TEXT NOT NULL);"
           "CREATE TABLE \"SOURCE_NOTES\" (\"Line\" INTEGER PRIMARY KEY, \"Text\" TEXT NOT NULL);";
}

bool Fill(SqlCipherConnection& db, const MessageTable& table, std::string& error) {
    const std::size_t languages = table.languages.size();
    if (!db.exec("BEGIN;" + SchemaSql(languages))) {
        error = "cannot create the tables: " + db.error();
        return false;
    }
    Statement language(db.handle(), "INSERT INTO \"LANGUAGES\" VALUES (?1, ?2, ?3)");
    std::string insertRow = "INSERT INTO \"CONTENTS\" VALUES (?1";
    for (std::size_t c = 1; c <= languages; ++c) insertRow += ", ?" + std::to_string(c + 1);
    Statement message(db.handle(), insertRow + ")");
    Statement note(db.handle(), "INSERT INTO \"SOURCE_NOTES\" VALUES (?1, ?2)");
    if (!language || !message || !note) {
        error = "cannot prepare the inserts: " + db.engineMessage();
        return false;
    }
    for (std::size_t c = 1; c <= languages; ++c) {
        sqlite3_bind_int(language.get(), 1, static_cast<int>(c));
        sqlite3_bind_int(language.get(), 2, LanguageCodeOfColumn(static_cast<int>(c)));
        language.bindText(3, table.languages[c - 1]);
        if (!language.runOnce()) {
            error = "cannot write language " + std::to_string(c) + ": " + db.engineMessage();
            return false;
        }
    }
    for (const MessageRow& row : table.rows) {
        sqlite3_bind_int(message.get(), 1, row.number);
        for (std::size_t c = 0; c < languages; ++c) message.bindText(static_cast<int>(c) + 2, row.texts[c]);
        if (!message.runOnce()) {
            error = "cannot write message " + std::to_string(row.number) + ": " + db.engineMessage();
            return false;
        }
    }
    for (const SourceNote& n : table.notes) {
        sqlite3_bind_int(note.get(), 1, n.line);
        note.bindText(2, n.text);
        if (!note.runOnce()) {
            error = "cannot write the comment of line " + std::to_string(n.line) + ": " + db.engineMessage();
            return false;
        }
    }
    if (!db.exec("COMMIT;")) {
        error = "cannot commit: " + db.error();
        return false;
    }
    return true;
}

void RemoveQuietly(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

}  // namespace

bool WriteLanguageDb(const MessageTable& table, const std::string& path, const std::string& password,
                     std::string& error) {
    if (std::string reason = CheckTable(table); !reason.empty()) {
        error = reason;
        return false;
    }
    const std::filesystem::path target(path);
    const std::filesystem::path temp(path + ".tmp");
    const std::filesystem::path tempJournal(path + ".tmp-journal");
    // A left-over from an interrupted build must not be mistaken for a good start.
    RemoveQuietly(temp);
    RemoveQuietly(tempJournal);

    SqlCipherConnection db;
    bool ok = db.open(temp.string(), password, SqlCipherConnection::Mode::ReadWrite);
    if (!ok) error = db.error();
    if (ok) ok = Fill(db, table, error);
    db.close();
    if (ok) {
        std::error_code ec;
        std::filesystem::rename(temp, target, ec);
        if (ec) {
            error = "cannot rename " + temp.string() + " to " + path + ": " + ec.message();
            ok = false;
        }
    }
    if (!ok) {
        RemoveQuietly(temp);
        RemoveQuietly(tempJournal);
    }
    return ok;
}

namespace {

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* value = sqlite3_column_text(stmt, column);
    if (!value) return {};
    return {reinterpret_cast<const char*>(value), static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))};
}

bool ReadLanguages(sqlite3* db, MessageTable& table, std::string& error) {
    Statement names(db, "SELECT \"Column\", \"Name\" FROM \"LANGUAGES\" ORDER BY \"Column\"");
    if (!names) {
        error = std::string("cannot read table LANGUAGES: ") + sqlite3_errmsg(db);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(names.get())) == SQLITE_ROW) {
        if (sqlite3_column_int(names.get(), 0) != static_cast<int>(table.languages.size()) + 1) {
            error = "table LANGUAGES does not number its columns 1, 2, 3, ...";
            return false;
        }
        table.languages.push_back(ColumnText(names.get(), 1));
    }
    if (rc != SQLITE_DONE) {
        error = std::string("cannot read table LANGUAGES: ") + sqlite3_errmsg(db);
        return false;
    }
    return true;
}

bool ReadContents(sqlite3* db, MessageTable& table, std::string& error) {
    Statement rows(db, "SELECT * FROM \"CONTENTS\" ORDER BY 1");
    if (!rows) {
        error = std::string("cannot read table CONTENTS: ") + sqlite3_errmsg(db);
        return false;
    }
    const int fields = sqlite3_column_count(rows.get());
    if (fields != static_cast<int>(table.languages.size()) + 1) {
        error = "table CONTENTS has " + std::to_string(fields - 1) + " language fields, LANGUAGES names " +
                std::to_string(table.languages.size());
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        const sqlite3_int64 number = sqlite3_column_int64(rows.get(), 0);
        if (sqlite3_column_type(rows.get(), 0) != SQLITE_INTEGER || number < std::numeric_limits<std::int32_t>::min() ||
            number > std::numeric_limits<std::int32_t>::max()) {
            error = "table CONTENTS holds a message number that is not a 32-bit integer";
            return false;
        }
        MessageRow row;
        row.number = static_cast<std::int32_t>(number);
        for (int c = 1; c < fields; ++c) row.texts.push_back(ColumnText(rows.get(), c));
        table.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        error = std::string("cannot read table CONTENTS: ") + sqlite3_errmsg(db);
        return false;
    }
    return true;
}

// Comments are optional: a database without them dumps without them.
void ReadNotes(sqlite3* db, MessageTable& table) {
    Statement notes(db, "SELECT \"Line\", \"Text\" FROM \"SOURCE_NOTES\" ORDER BY \"Line\"");
    if (!notes) return;
    while (sqlite3_step(notes.get()) == SQLITE_ROW) {
        table.notes.push_back({sqlite3_column_int(notes.get(), 0), ColumnText(notes.get(), 1)});
    }
}

}  // namespace

bool ReadLanguageDb(const std::string& path, const std::string& password, MessageTable& table, std::string& error) {
    table = {};
    SqlCipherConnection db;
    if (!db.open(path, password, SqlCipherConnection::Mode::ReadOnly)) {
        error = db.error();
        return false;
    }
    if (!ReadLanguages(db.handle(), table, error) || !ReadContents(db.handle(), table, error)) return false;
    ReadNotes(db.handle(), table);
    return true;
}

}  // namespace vor
