#include "texts/SqlCipherConnection.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace vor {

namespace {
constexpr int BusyWaitMs = 2000;
}  // namespace

SqlCipherConnection::~SqlCipherConnection() { close(); }

void SqlCipherConnection::close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

std::string SqlCipherConnection::engineMessage() const { return db_ ? sqlite3_errmsg(db_) : "no open database"; }

bool SqlCipherConnection::open(const std::string& path, const std::string& password, Mode mode) {
    close();
    error_.clear();
    // An empty key would leave the file unencrypted: never accept it.
    if (password.empty()) {
        error_ = "no database password given";
        return false;
    }
    // A FIFO would block the open and a device is no database: only a regular file
    // (or, for writing, a new one) is opened. The test does not open the name.
    // The name is UTF-8, as SQLite takes it; the plain conversion would read it in the
    // 8-bit code page on Windows.
    std::error_code ec;
    const auto type = std::filesystem::status(std::u8string(path.begin(), path.end()), ec).type();
    if (type != std::filesystem::file_type::regular &&
        !(type == std::filesystem::file_type::not_found && mode == Mode::ReadWrite)) {
        error_ = "cannot open " + path + ": " +
                 (ec                                              ? ec.message()
                  : type == std::filesystem::file_type::not_found ? "no such file"
                                                                  : "not a regular file");
        return false;
    }
    // The program only reads texts; read-only also keeps a missing file from being created.
    const int flags = mode == Mode::ReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        error_ = "cannot open " + path + ": " + engineMessage();
        close();
        return false;
    }
    // Another connection that holds the file a moment (a second copy of the program
    // starting, on Windows any reader taking its lock) makes a read busy: wait for it
    // rather than turn a text into the empty text.
    sqlite3_busy_timeout(db_, BusyWaitMs);
    if (sqlite3_key(db_, password.data(), static_cast<int>(password.size())) != SQLITE_OK) {
        error_ = "cannot set the password of " + path + ": " + engineMessage();
        close();
        return false;
    }
    if (!exec("SELECT count(*) FROM sqlite_master")) {
        error_ = "cannot read " + path + " (wrong password or not a language database): " + engineMessage();
        close();
        return false;
    }
    return true;
}

bool SqlCipherConnection::exec(const std::string& sql) {
    if (!db_) {
        error_ = "no open database";
        return false;
    }
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        error_ = engineMessage();
        return false;
    }
    return true;
}

}  // namespace vor
