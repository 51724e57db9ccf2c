#include "cls_SqliteStatement.h"

#include "cls_SqliteConnection.h"

#include <sqlite3.h>

cls_SqliteStatement::cls_SqliteStatement(cls_SqliteConnection& connection, const std::string& sql)
    : connection_(connection), sql_(sql) {
    const int rc = sqlite3_prepare_v3(connection.Handle(), sql.c_str(), -1,
                                      SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (rc != SQLITE_OK)
        connection_.Fail("preparing a query", rc);
}

cls_SqliteStatement::~cls_SqliteStatement() { sqlite3_finalize(stmt_); }

cls_SqliteStatement& cls_SqliteStatement::Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

cls_SqliteStatement& cls_SqliteStatement::Bind(int index, std::string_view text) {
    sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

cls_SqliteStatement& cls_SqliteStatement::Bind(int index, double value) {
    sqlite3_bind_double(stmt_, index, value);
    return *this;
}

cls_SqliteStatement& cls_SqliteStatement::BindBlob(int index, const void* data, std::size_t size) {
    // SQLITE_STATIC: callers keep the bytes alive until the statement has run.
    sqlite3_bind_blob64(stmt_, index, data ? data : "", size, SQLITE_STATIC);
    return *this;
}

cls_SqliteStatement& cls_SqliteStatement::BindZeroBlob(int index, std::int64_t size) {
    sqlite3_bind_zeroblob64(stmt_, index, static_cast<sqlite3_uint64>(size));
    return *this;
}

cls_SqliteStatement& cls_SqliteStatement::BindNull(int index) {
    sqlite3_bind_null(stmt_, index);
    return *this;
}

bool cls_SqliteStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    connection_.Fail("", rc);
}

void cls_SqliteStatement::Run() {
    while (Step()) {
    }
    Reset();
}

void cls_SqliteStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int cls_SqliteStatement::ColumnCount() const { return sqlite3_column_count(stmt_); }
const char* cls_SqliteStatement::ColumnName(int c) const { return sqlite3_column_name(stmt_, c); }
bool cls_SqliteStatement::IsNull(int c) const { return sqlite3_column_type(stmt_, c) == SQLITE_NULL; }
bool cls_SqliteStatement::IsInteger(int c) const {
    return sqlite3_column_type(stmt_, c) == SQLITE_INTEGER;
}
std::int64_t cls_SqliteStatement::Int(int c) const { return sqlite3_column_int64(stmt_, c); }

std::string_view cls_SqliteStatement::Text(int c) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
    return text ? std::string_view(text, sqlite3_column_bytes(stmt_, c)) : std::string_view();
}

const void* cls_SqliteStatement::Blob(int c) const { return sqlite3_column_blob(stmt_, c); }
int cls_SqliteStatement::Bytes(int c) const { return sqlite3_column_bytes(stmt_, c); }

double cls_SqliteStatement::Real(int c) const { return sqlite3_column_double(stmt_, c); }

cls_SqliteStatement::Kind cls_SqliteStatement::KindOf(int c) const {
    switch (sqlite3_column_type(stmt_, c)) {
    case SQLITE_INTEGER: return Kind::Integer;
    case SQLITE_FLOAT: return Kind::Real;
    case SQLITE_TEXT: return Kind::Text;
    case SQLITE_BLOB: return Kind::Blob;
    default: return Kind::Null;
    }
}
