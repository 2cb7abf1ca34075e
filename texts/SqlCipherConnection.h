#pragma once
// One connection to a password-protected SQLCipher file. Keying alone never fails on
// a wrong password, so open() reads the schema once: a wrong password or a file that
// is no database fails here, not at the first lookup. Closed on destruction.

#include <string>

struct sqlite3;

namespace vor {

class SqlCipherConnection {
public:
    // ReadOnly never creates a file; ReadWrite creates a missing one.
    enum class Mode { ReadOnly, ReadWrite };

    SqlCipherConnection() = default;
    ~SqlCipherConnection();
    SqlCipherConnection(const SqlCipherConnection&) = delete;
    SqlCipherConnection& operator=(const SqlCipherConnection&) = delete;

    // False with error() set when the file cannot be opened, keyed or read.
    bool open(const std::string& path, const std::string& password, Mode mode);
    void close();

    // Runs statements that return no rows; false with error() set on failure.
    bool exec(const std::string& sql);

    sqlite3* handle() const { return db_; }
    const std::string& error() const { return error_; }

    // The engine's message for the last failure on this connection.
    std::string engineMessage() const;

private:
    sqlite3* db_ = nullptr;
    std::string error_;
};

}  // namespace vor
