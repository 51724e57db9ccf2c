// One BLOB value opened for incremental reading or writing, closed when the object goes.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3_blob;
class cls_SqliteConnection;

class cls_SqliteBlob {
public:
    enum class Access { Read, Write };

    // Opens column `column` of the row `rowid` of `table`. A missing row raises the framework's
    // exception with `what` saying what was being read. One search of the table's B-tree for the
    // row; allocates SQLite's handle.
    cls_SqliteBlob(cls_SqliteConnection& connection, const char* table, const char* column,
                   std::int64_t rowid, Access access, const std::string& what);
    ~cls_SqliteBlob();
    cls_SqliteBlob(const cls_SqliteBlob&) = delete;
    cls_SqliteBlob& operator=(const cls_SqliteBlob&) = delete;

    // O(1), no file access.
    int Bytes() const;
    // Moves to the same column of another row of the table (cheaper than a new open): one B-tree
    // search, no allocation.
    void Reopen(std::int64_t rowid);
    // Copies `bytes` from `offset` into `into`; writes the same way. Failures throw. The bytes go
    // straight between the caller's memory and the file's pages (read from the file or the page
    // cache); a write changes pages that reach the file at the transaction's commit.
    void Read(void* into, int bytes, int offset);
    void Write(const void* from, int bytes, int offset);

private:
    cls_SqliteConnection& connection_;
    sqlite3_blob* blob_ = nullptr;
    std::string what_;
};
