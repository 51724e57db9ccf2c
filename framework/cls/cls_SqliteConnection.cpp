#include "cls_SqliteConnection.h"

#include "cls_SqliteStatement.h"
#include "cls_SqliteTransaction.h"
#include "nex_TextException.h"

#include <sqlite3.h>

namespace {
constexpr const char* kSourceFile = "framework/cls/cls_SqliteConnection";
}

cls_SqliteConnection::cls_SqliteConnection(const std::string& path, Mode mode)
    : path_(path), mode_(mode) {
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    }
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string problem = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        if (rc == SQLITE_CANTOPEN)
            problem = "cannot open the file (missing, or not readable)";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        FailWith(problem);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 5000);
    if (mode == Mode::ReadOnly)
        rollBackInterruptedWrite();
}

// A write cut short by a crash or a kill leaves a hot journal, which only a connection that may
// write can roll back; a read-only connection would fail on its first read. Rolling back
// restores the last committed state, which is all any reader may see, so it is done here
// through a short-lived read-write connection.
void cls_SqliteConnection::rollBackInterruptedWrite() {
    constexpr const char* firstRead = "SELECT count(*) FROM sqlite_master";
    if (sqlite3_exec(db_, firstRead, nullptr, nullptr, nullptr) != SQLITE_READONLY_ROLLBACK)
        return; // any other failure shows on the first real read
    sqlite3* writer = nullptr;
    int rc = sqlite3_open_v2(path_.c_str(), &writer, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(writer, 5000);
        rc = sqlite3_exec(writer, firstRead, nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(writer);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        FailWith("holds a write cut short by a crash, which cannot be rolled back without write "
                 "access to the file and its folder");
    }
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
        const std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        FailWith(message);
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

void cls_SqliteConnection::Fail(const std::string& what, int code) const {
    std::string problem = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    if ((code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB)
        problem = "file is not a model database or is damaged (" + problem + ")";
    FailWith(what.empty() ? problem : what + ": " + problem);
}

void cls_SqliteConnection::FailWith(const std::string& problem) const {
    const std::string message = "model database '" + path_ + "': " + problem;
    nex_TextException(cow_String(message)).Throw(kSourceFile, __LINE__);
}

cls_SqliteTransaction::cls_SqliteTransaction(cls_SqliteConnection& connection)
    : connection_(connection) {
    connection_.Execute("BEGIN IMMEDIATE");
}

cls_SqliteTransaction::~cls_SqliteTransaction() {
    if (open_)
        sqlite3_exec(connection_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void cls_SqliteTransaction::Commit() {
    connection_.Execute("COMMIT");
    open_ = false;
}
