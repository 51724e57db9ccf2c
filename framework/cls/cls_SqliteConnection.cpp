#include "cls_SqliteConnection.h"

#include "cls_SqliteStatement.h"
#include "cls_SqliteTransaction.h"
#include "nex_Message.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* kSourceFile = "framework/cls/cls_SqliteConnection";
constexpr const char* kFirstRead = "SELECT count(*) FROM sqlite_master";

std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool hasJournal(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path + "-journal", error);
    return !error && size > 0;
}

bool exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

} // namespace

cls_SqliteConnection::cls_SqliteConnection(const std::string& path, Mode mode, bool recover)
    : path_(path), mode_(mode) {
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    }
    if (mode != Mode::ReadOnly && !IsInMemory() && exists(folderOf(path)) &&
        !writable(folderOf(path)))
        FailWith("the folder '" + folderOf(path) +
                 "' is not writable; a model database opened for writing keeps its journal there");
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string problem = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        if (rc == SQLITE_CANTOPEN)
            problem = !exists(folderOf(path))
                          ? "cannot open the file: the folder '" + folderOf(path) + "' does not exist"
                          : "cannot open the file (missing, or not readable)";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        FailWith(problem);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 5000);
    // SQLite quietly opens a write-protected file read-only when asked for read-write.
    if (mode != Mode::ReadOnly && sqlite3_db_readonly(db_, "main") == 1) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        FailWith("the file is not writable");
    }
    if (mode == Mode::ReadOnly && recover)
        rollBackInterruptedWrite();
}

// A write cut short by a crash or a kill leaves a hot journal, which only a connection that may
// write can roll back; a read-only connection would fail on its first read. Rolling back
// restores the last committed state, which is all any reader may see, so it is done here
// through a short-lived read-write connection.
void cls_SqliteConnection::rollBackInterruptedWrite() {
    const int first = sqlite3_exec(db_, kFirstRead, nullptr, nullptr, nullptr);
    if (first == SQLITE_OK || (first != SQLITE_READONLY_ROLLBACK && !hasJournal(path_)))
        return; // any other failure shows on the first real read
    int rc = SQLITE_CANTOPEN;
    if (writable(folderOf(path_)) && writable(path_)) {
        sqlite3* writer = nullptr;
        rc = sqlite3_open_v2(path_.c_str(), &writer, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(writer, 5000);
            rc = sqlite3_exec(writer, kFirstRead, nullptr, nullptr, nullptr);
        }
        sqlite3_close_v2(writer);
    }
    if (rc == SQLITE_OK)
        return;
    sqlite3_close_v2(db_);
    db_ = nullptr;
    std::string why;
    if (!writable(folderOf(path_)))
        why = "the folder '" + folderOf(path_) + "' is not writable";
    else if (!writable(path_))
        why = "the file is not writable";
    else
        why = "rolling it back failed (" + std::string(sqlite3_errstr(rc)) + ")";
    FailWith("holds a write cut short by a crash (journal '" + path_ +
             "-journal'), which must be rolled back before it can be read, and " + why);
}

cls_SqliteConnection::~cls_SqliteConnection() {
    cache_.clear(); // statements must be finalised before the connection closes
    if (db_)
        sqlite3_close_v2(db_);
}

void cls_SqliteConnection::Execute(const char* sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        sqlite3_free(error);
        Fail("", rc);
    }
}

cls_SqliteStatement& cls_SqliteConnection::Cached(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end())
        it = cache_.emplace(sql, std::make_unique<cls_SqliteStatement>(*this, sql)).first;
    else
        it->second->Reset();
    return *it->second;
}

bool cls_SqliteConnection::TableExists(const std::string& table) {
    cls_SqliteStatement& s =
        Cached("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    s.Bind(1, table);
    const bool found = s.Step();
    s.Reset();
    return found;
}

void cls_SqliteConnection::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

std::uint32_t cls_SqliteConnection::DataVersion() const {
    unsigned int version = 0;
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return version;
}

bool cls_SqliteConnection::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

std::int64_t cls_SqliteConnection::LastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }

std::string cls_SqliteConnection::causeOf(int code) const {
    const std::string sqliteSays = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    switch (code & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return "file is not a model database or is damaged (" + sqliteSays + ")";
    case SQLITE_FULL: return "the disk is full or the file reached its size limit (" + sqliteSays + ")";
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "another connection holds a lock on the file (" + sqliteSays + ")";
    default: break;
    }
    if (code == SQLITE_READONLY_DIRECTORY ||
        ((code & 0xFF) == SQLITE_READONLY && !writable(folderOf(path_))))
        return "the folder '" + folderOf(path_) + "' is not writable";
    if ((code & 0xFF) == SQLITE_READONLY && !IsInMemory() && !writable(path_))
        return "the file is not writable";
    if (((code & 0xFF) == SQLITE_CANTOPEN || (code & 0xFF) == SQLITE_IOERR) && !IsInMemory() &&
        !writable(folderOf(path_)))
        return "the folder '" + folderOf(path_) + "' is not writable (" + sqliteSays + ")";
    return sqliteSays;
}

void cls_SqliteConnection::Fail(const std::string& what, int code) const {
    const std::string problem = causeOf(code);
    FailWith(what.empty() ? problem : what + ": " + problem);
}

void cls_SqliteConnection::FailWith(const std::string& problem) const {
    // Names the file; a damaged object is named in `problem`.
    constexpr int kFailLine = 184;
    nex_Message::RaisePlaced(kSourceFile, kFailLine, "model database '%1$s': %2$s", path_, problem);
}

cls_SqliteTransaction::cls_SqliteTransaction(cls_SqliteConnection& connection)
    : connection_(connection) {
    connection_.Execute("BEGIN IMMEDIATE");
}

cls_SqliteTransaction::~cls_SqliteTransaction() {
    if (open_ && connection_.InTransaction())
        sqlite3_exec(connection_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void cls_SqliteTransaction::Commit() {
    connection_.Execute("COMMIT");
    open_ = false;
}
