// A prepared SQLite statement: bind by position (from 1), step, read columns (from 0).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3_stmt;
class cls_SqliteConnection;

class cls_SqliteStatement {
public:
    // Prepares the statement: SQLite parses and plans it and allocates it, and the text is
    // copied. Meant to be kept and reused (cls_SqliteConnection::Cached).
    cls_SqliteStatement(cls_SqliteConnection& connection, const std::string& sql);
    ~cls_SqliteStatement();
    cls_SqliteStatement(const cls_SqliteStatement&) = delete;
    cls_SqliteStatement& operator=(const cls_SqliteStatement&) = delete;

    // Numbers and null: O(1), no allocation.
    cls_SqliteStatement& Bind(int index, std::int64_t value);
    // SQLite copies the text (allocates), so the caller's may go at once.
    cls_SqliteStatement& Bind(int index, std::string_view text);
    cls_SqliteStatement& Bind(int index, double value);
    // No copy: the bytes must stay alive until the statement has run.
    cls_SqliteStatement& BindBlob(int index, const void* data, std::size_t size);
    // No allocation here: the step writes the zeros into the row.
    cls_SqliteStatement& BindZeroBlob(int index, std::int64_t size);
    cls_SqliteStatement& BindNull(int index);

    // True while a row is available; false when done. Errors throw. One step: reads pages from
    // the page cache or the file; in a write, changes pages that reach the file at the commit.
    bool Step();
    // Steps a statement that must not return rows, then resets it.
    void Run();
    // Ready for the next use: reset and all bindings cleared. No file access.
    void Reset();

    // How SQLite holds a column's value (it may differ from the column's declared type).
    enum class Kind { Integer, Real, Text, Blob, Null };

    // The current row, as SQLite holds it: O(1), no copy. Text, Blob and ColumnName point into
    // the statement, valid until the next Step or Reset; Text of a number converts it in place
    // (allocates).
    int ColumnCount() const;
    const char* ColumnName(int column) const;
    Kind KindOf(int column) const;
    bool IsNull(int column) const;
    bool IsInteger(int column) const;
    std::int64_t Int(int column) const;
    std::string_view Text(int column) const;
    const void* Blob(int column) const;
    int Bytes(int column) const;

    double Real(int column) const;

private:
    cls_SqliteConnection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
    std::string sql_;
};
