// A prepared SQLite statement: bind by position (from 1), step, read columns (from 0).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3_stmt;
class cls_SqliteConnection;

class cls_SqliteStatement {
public:
    cls_SqliteStatement(cls_SqliteConnection& connection, const std::string& sql);
    ~cls_SqliteStatement();
    cls_SqliteStatement(const cls_SqliteStatement&) = delete;
    cls_SqliteStatement& operator=(const cls_SqliteStatement&) = delete;

    cls_SqliteStatement& Bind(int index, std::int64_t value);
    cls_SqliteStatement& Bind(int index, std::string_view text);
    cls_SqliteStatement& Bind(int index, double value);
    cls_SqliteStatement& BindBlob(int index, const void* data, std::size_t size);
    cls_SqliteStatement& BindZeroBlob(int index, std::int64_t size);
    cls_SqliteStatement& BindNull(int index);

    // True while a row is available; false when done. Errors throw.
    bool Step();
    // Steps a statement that must not return rows.
    void Run();
    // Ready for the next use: reset and all bindings cleared.
    void Reset();

    // How SQLite holds a column's value (it may differ from the column's declared type).
    enum class Kind { Integer, Real, Text, Blob, Null };

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
