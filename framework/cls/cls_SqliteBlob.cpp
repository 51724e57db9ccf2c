#include "cls_SqliteBlob.h"

#include "cls_SqliteConnection.h"

#include <sqlite3.h>

cls_SqliteBlob::cls_SqliteBlob(cls_SqliteConnection& connection, const char* table,
                               const char* column, std::int64_t rowid, Access access,
                               const std::string& what)
    : connection_(connection), what_(what) {
    const int rc = sqlite3_blob_open(connection_.Handle(), "main", table, column,
                                     static_cast<sqlite3_int64>(rowid),
                                     access == Access::Write ? 1 : 0, &blob_);
    if (rc != SQLITE_OK) {
        blob_ = nullptr;
        connection_.Fail(what_, rc);
    }
}

cls_SqliteBlob::~cls_SqliteBlob() {
    if (blob_)
        sqlite3_blob_close(blob_);
}

int cls_SqliteBlob::Bytes() const { return sqlite3_blob_bytes(blob_); }

void cls_SqliteBlob::Reopen(std::int64_t rowid) {
    const int rc = sqlite3_blob_reopen(blob_, static_cast<sqlite3_int64>(rowid));
    if (rc != SQLITE_OK)
        connection_.Fail(what_, rc);
}

void cls_SqliteBlob::Read(void* into, int bytes, int offset) {
    const int rc = sqlite3_blob_read(blob_, into, bytes, offset);
    if (rc != SQLITE_OK)
        connection_.Fail(what_, rc);
}

void cls_SqliteBlob::Write(const void* from, int bytes, int offset) {
    const int rc = sqlite3_blob_write(blob_, from, bytes, offset);
    if (rc != SQLITE_OK)
        connection_.Fail(what_, rc);
}
