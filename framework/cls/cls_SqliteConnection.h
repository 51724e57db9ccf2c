// One open SQLite file behind the model database, with its cached prepared statements.
//
// Every SQLite failure becomes a nex_TextException whose message names the file and the
// problem ("model database 'a.db': file is not a database"); no caller sees a bare code.
#pragma once

#include "cow_String.h"

#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;
class cls_SqliteStatement;

class cls_SqliteConnection {
public:
    enum class Mode { Create, ReadWrite, ReadOnly };

    // ":memory:" opens a private in-memory database. Create makes a new file or opens an
    // existing one for writing; ReadWrite and ReadOnly need an existing file.
    cls_SqliteConnection(const std::string& path, Mode mode);
    ~cls_SqliteConnection();
    cls_SqliteConnection(const cls_SqliteConnection&) = delete;
    cls_SqliteConnection& operator=(const cls_SqliteConnection&) = delete;

    const std::string& Path() const { return path_; }
    bool IsReadOnly() const { return mode_ == Mode::ReadOnly; }

    // Runs statements that return no rows.
    void Execute(const char* sql);
    // A prepared statement kept for the life of the connection, reset and unbound for reuse.
    cls_SqliteStatement& Cached(const std::string& sql);
    bool TableExists(const std::string& table);

    // Throws the framework's exception for the connection's last error, with `what` saying
    // what was being done.
    [[noreturn]] void Fail(const std::string& what, int code) const;
    [[noreturn]] void FailWith(const std::string& problem) const;

    sqlite3* Handle() const { return db_; }

private:
    void rollBackInterruptedWrite();

    std::string path_;
    Mode mode_;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, std::unique_ptr<cls_SqliteStatement>> cache_;
};
