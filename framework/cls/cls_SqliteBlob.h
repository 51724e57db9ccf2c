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
    // exception with `what` saying what was being read.
    cls_SqliteBlob(cls_SqliteConnection& connection, const char* table, const char* column,
                   std::int64_t rowid, Access access, const std::string& what);
    ~cls_SqliteBlob();
    cls_SqliteBlob(const cls_SqliteBlob&) = delete;
    cls_SqliteBlob& operator=(const cls_SqliteBlob&) = delete;

    int Bytes() const;
    // Moves to the same column of another row of the table (cheaper than a new open).
    void Reopen(std::int64_t rowid);
    // Copies `bytes` from `offset` into `into`; writes the same way. Failures throw.
    void Read(void* into, int bytes, int offset);
    void Write(const void* from, int bytes, int offset);

private:
    cls_SqliteConnection& connection_;
    sqlite3_blob* blob_ = nullptr;
    std::string what_;
};
