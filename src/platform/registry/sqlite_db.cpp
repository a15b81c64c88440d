#include "platform/registry/sqlite_db.hpp"

#include "platform/registry/error.hpp"

#include <cerrno>
#include <climits>

namespace platform::registry::detail {
namespace {

// Long enough for any writer of a few keys to finish, short enough that a stuck process is reported.
constexpr int busy_timeout_ms = 30000;

errc error_of(sqlite3* db, int rc) {
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return errc::busy;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return errc::access_denied;
        case SQLITE_CANTOPEN:
            return db && sqlite3_system_errno(db) == EACCES ? errc::access_denied : errc::cantopen;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
            return errc::registry_corrupt;
        case SQLITE_FULL:
            return errc::disk_full;
        case SQLITE_NOMEM:
            return errc::not_enough_memory;
        case SQLITE_TOOBIG:
            return errc::invalid_parameter;
        default:
            return errc::registry_io_failed;
    }
}

}  // namespace

void throw_sqlite_failure(sqlite3* db, int rc) {
    throw store_failure{make_error_code(error_of(db, rc))};
}

sqlite_db::sqlite_db(const boost::filesystem::path& file, bool create) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
    m_db.reset(db);
    if (rc != SQLITE_OK) {
        throw_sqlite_failure(db, rc);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busy_timeout_ms);
    // The store is data, never code: no triggers or views from the file run with our rights.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

void sqlite_db::exec(const char* sql) {
    const int rc = sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        throw_sqlite_failure(m_db.get(), rc);
    }
}

statement::statement(const sqlite_db& db, std::string_view sql) : m_db(db.handle()) {
    check(sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr));
}

void statement::check(int rc) const {
    if (rc != SQLITE_OK) {
        throw_sqlite_failure(m_db, rc);
    }
}

statement& statement::bind(int index, std::int64_t number) {
    check(sqlite3_bind_int64(m_stmt, index, number));
    return *this;
}

statement& statement::bind(int index, std::string_view text) {
    // A null pointer would bind NULL; the default value's name is the empty text.
    check(sqlite3_bind_text64(m_stmt, index, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT,
                              SQLITE_UTF8));
    return *this;
}

statement& statement::bind(int index, std::span<const std::uint8_t> blob) {
    static const std::uint8_t nothing = 0;
    check(sqlite3_bind_blob64(m_stmt, index, blob.empty() ? &nothing : blob.data(), blob.size(), SQLITE_TRANSIENT));
    return *this;
}

bool statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    throw_sqlite_failure(m_db, rc);
}

void statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::string statement::text(int column) const {
    const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return chars ? std::string(chars, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
}

std::vector<std::uint8_t> statement::blob(int column) const {
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt, column));
    return bytes ? std::vector<std::uint8_t>(bytes, bytes + sqlite3_column_bytes(m_stmt, column))
                 : std::vector<std::uint8_t>();
}

transaction::transaction(sqlite_db& db, kind k) : m_db(db) {
    m_db.exec(k == kind::write ? "BEGIN IMMEDIATE" : "BEGIN");
}

transaction::~transaction() {
    if (m_open) {
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void transaction::commit() {
    m_db.exec("COMMIT");
    m_open = false;
}

}  // namespace platform::registry::detail
