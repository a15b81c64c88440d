// A thin owner of one SQLite connection, its prepared statements and transactions. Failures are thrown
// as store_failure carrying the registry error they amount to; the store turns them into results.
#pragma once

#include <sqlite3.h>

#include <boost/filesystem/path.hpp>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::registry::detail {

struct store_failure {
    std::error_code code;
};

[[noreturn]] void throw_sqlite_failure(sqlite3* db, int rc);

class sqlite_db {
public:
    // Opens an existing database file, or creates it when `create` is set. Symbolic links are refused.
    sqlite_db(const boost::filesystem::path& file, bool create);

    sqlite3* handle() const { return m_db.get(); }
    void exec(const char* sql);

private:
    struct closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, closer> m_db;
};

class statement {
public:
    statement(const sqlite_db& db, std::string_view sql);
    ~statement() { sqlite3_finalize(m_stmt); }
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;

    // Parameters are numbered from 1, as in SQL.
    statement& bind(int index, std::int64_t number);
    statement& bind(int index, std::string_view text);
    statement& bind(int index, std::span<const std::uint8_t> blob);

    // True while there is a row to read.
    bool step();
    // Makes the statement ready to run again with new parameters.
    void reset();

    std::int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    std::string text(int column) const;
    std::vector<std::uint8_t> blob(int column) const;

private:
    void check(int rc) const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Rolled back unless committed. A writing transaction takes the write lock at once (BEGIN IMMEDIATE), so
// two writers never deadlock upgrading a read lock; the wait for the lock is the connection's busy
// timeout.
class transaction {
public:
    enum class kind { read, write };
    transaction(sqlite_db& db, kind k);
    ~transaction();
    transaction(const transaction&) = delete;
    transaction& operator=(const transaction&) = delete;

    void commit();

private:
    sqlite_db& m_db;
    bool m_open = true;
};

}  // namespace platform::registry::detail
