// One open SQLite file behind the model database, with its cached prepared statements. This
// and the other cls_Sqlite* classes are the only code that calls SQLite.
//
// Every SQLite failure becomes a nex_TextException whose message names the file and the problem
// ("model database 'a.db': file is not a database"); no caller sees a bare code.
#pragma once

#include "cls_OpenMode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;
class cls_SqliteStatement;

class cls_SqliteConnection {
public:
    using Mode = cls_OpenMode;

    // ":memory:" opens a private in-memory database. Create makes a new file or opens an
    // existing one for writing; ReadWrite and ReadOnly need an existing file. A file that
    // cannot be written is refused for Create and ReadWrite; a read-only open rolls back a
    // write that a crash cut short, or says why it cannot.
    // `recover` false: a read-only open leaves a write cut short as it is (and then fails on
    // reading) rather than rolling it back: the file is not changed in any way.
    // Allocates SQLite's connection; no query, except that a recovering read-only open reads the
    // file's header (and may roll back through a second, short-lived connection).
    cls_SqliteConnection(const std::string& path, Mode mode, bool recover = true);
    ~cls_SqliteConnection();
    cls_SqliteConnection(const cls_SqliteConnection&) = delete;
    cls_SqliteConnection& operator=(const cls_SqliteConnection&) = delete;

    // No copy, no file access, O(1).
    const std::string& Path() const { return path_; }
    bool IsReadOnly() const { return mode_ == Mode::ReadOnly; }
    bool IsInMemory() const { return path_ == ":memory:"; }

    // Runs statements that return no rows. Parses them on every call (nothing is kept): for
    // schema statements, pragmas and transaction control.
    void Execute(const char* sql);
    // A prepared statement kept for the life of the connection, reset and unbound for reuse.
    // A hash lookup by the text, O(length); the first use prepares and keeps it (allocates).
    cls_SqliteStatement& Cached(const std::string& sql);
    // One query on SQLite's own table list.
    bool TableExists(const std::string& table);
    // How long a statement waits for another connection's lock before it fails. O(1).
    void SetBusyTimeout(int milliseconds);
    // A number that changes whenever the file changes, through this connection or another;
    // read without a statement. It follows the file as of the last statement run. O(1).
    std::uint32_t DataVersion() const;
    // Whether the connection holds a transaction that BEGIN opened. O(1), no file access.
    bool InTransaction() const;
    // The rowid of the last row this connection inserted. O(1).
    std::int64_t LastInsertRowid() const;

    // Throws the framework's exception for a SQLite result code, with `what` saying what was
    // being done; the message says why where the cause is known (a folder or file that cannot
    // be written, a full disk, a lock held by another connection, a damaged file). Builds the
    // message (Fail may test the folder's and the file's access rights); no query.
    [[noreturn]] void Fail(const std::string& what, int code) const;
    [[noreturn]] void FailWith(const std::string& problem) const;

    // O(1). SQLite's own handle: the cls_Sqlite* classes (and tests) call SQLite through it.
    sqlite3* Handle() const { return db_; }

private:
    void rollBackInterruptedWrite();
    std::string causeOf(int code) const;

    std::string path_;
    Mode mode_;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, std::unique_ptr<cls_SqliteStatement>> cache_;
};
