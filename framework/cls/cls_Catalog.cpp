#include "cls_Catalog.h"

#include "cls_ClassMetadata.h"
#include "cls_ClassRegistrar.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"

#include <cstdio>
#include <random>

namespace {

constexpr const char* kFormatName = "region model database";

std::string quoted(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + "\"";
}

std::uint64_t drawFileId() {
    std::random_device rd;
    const std::uint64_t id = (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
    return id ? id : 1;
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

int cls_Catalog::ReadTable::Column(std::string_view column) const {
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c] == column)
            return static_cast<int>(c);
    return -1;
}

bool cls_Catalog::IsEmpty() {
    // The first read of the file's header: a file that is not SQLite fails here.
    cls_SqliteStatement& tables = sql_.Cached("SELECT count(*) FROM sqlite_master");
    tables.Step();
    const std::int64_t count = tables.Int(0);
    tables.Reset();
    return count == 0;
}

void cls_Catalog::CreateSchema() {
    sql_.Execute(
        "CREATE TABLE cls_meta (key TEXT PRIMARY KEY, value);"
        "CREATE TABLE cls_counters (id INTEGER PRIMARY KEY CHECK (id = 1), "
        "  nextRow INTEGER NOT NULL, rows INTEGER NOT NULL, newRows INTEGER NOT NULL, "
        "  replaced INTEGER NOT NULL);"
        "INSERT INTO cls_counters VALUES (1, 1, 0, 0, 0);"
        "CREATE TABLE cls_catalog (typeId INTEGER PRIMARY KEY, name TEXT NOT NULL, "
        "  version INTEGER NOT NULL, layout TEXT NOT NULL);"
        "CREATE TABLE cls_roots (name TEXT PRIMARY KEY, oid INTEGER NOT NULL, "
        "  classId INTEGER NOT NULL, collection INTEGER NOT NULL);"
        "CREATE TABLE cls_intlist (oid INTEGER PRIMARY KEY, \"#uid\" INTEGER NOT NULL, "
        "  count INTEGER NOT NULL, ids BLOB NOT NULL);"
        "CREATE TABLE cls_intchunk (id INTEGER PRIMARY KEY, ids BLOB NOT NULL);"
        "CREATE TABLE cls_strlist (oid INTEGER PRIMARY KEY, \"#uid\" INTEGER NOT NULL, "
        "  texts BLOB NOT NULL);"
        "CREATE TABLE cls_collection (oid INTEGER PRIMARY KEY, \"#uid\" INTEGER NOT NULL, "
        "  kind INTEGER NOT NULL);"
        "CREATE TABLE cls_objlist (oid INTEGER NOT NULL, pos INTEGER NOT NULL, "
        "  elemOid INTEGER NOT NULL, elemClassId INTEGER NOT NULL, PRIMARY KEY (oid, pos)) "
        "  WITHOUT ROWID;"
        "CREATE TABLE cls_map (oid INTEGER NOT NULL, key INTEGER NOT NULL, "
        "  elemOid INTEGER NOT NULL, elemClassId INTEGER NOT NULL, PRIMARY KEY (oid, key)) "
        "  WITHOUT ROWID;");
    cls_SqliteStatement& meta = sql_.Cached("INSERT INTO cls_meta (key, value) VALUES (?, ?)");
    meta.Bind(1, std::string_view("format")).Bind(2, std::string_view(kFormatName)).Run();
    meta.Bind(1, std::string_view("formatVersion")).Bind(2, std::int64_t{kFormatVersion}).Run();
    meta.Bind(1, std::string_view("fileId"))
        .Bind(2, static_cast<std::int64_t>(drawFileId()))
        .Run();
}

std::uint64_t cls_Catalog::CheckFormat() {
    if (!sql_.TableExists("cls_meta"))
        sql_.FailWith("not a model database (no format marker)");
    cls_SqliteStatement& s = sql_.Cached("SELECT key, value FROM cls_meta");
    bool marked = false;
    std::int64_t version = 0, fileId = 0;
    while (s.Step()) {
        const std::string_view key = s.Text(0);
        if (key == "format")
            marked = s.KindOf(1) == cls_SqliteStatement::Kind::Text && s.Text(1) == kFormatName;
        else if (key == "formatVersion" && s.IsInteger(1))
            version = s.Int(1);
        else if (key == "fileId" && s.IsInteger(1))
            fileId = s.Int(1);
    }
    s.Reset();
    if (!marked)
        sql_.FailWith("not a model database (unknown format marker)");
    if (version != kFormatVersion)
        sql_.FailWith("storage format version " + std::to_string(version) +
                      " is not supported (expected " + std::to_string(kFormatVersion) + ")");
    if (fileId == 0 || !sql_.TableExists("cls_counters"))
        sql_.FailWith("damaged: the file's identity or counters are missing");
    return static_cast<std::uint64_t>(fileId);
}

void cls_Catalog::CheckVersions(const cls_ClassRegistrar& registrar) {
    cls_SqliteStatement& s = sql_.Cached("SELECT typeId, name, version FROM cls_catalog");
    std::string outdated, newer;
    while (s.Step()) {
        const auto* md = registrar.Find(static_cast<std::uint32_t>(s.Int(0)));
        if (md && s.Int(2) < md->Version())
            outdated += (outdated.empty() ? "" : ", ") + std::string(s.Text(1)) + " " +
                        std::to_string(s.Int(2)) + " (current " + std::to_string(md->Version()) +
                        ")";
        if (md && s.Int(2) > md->Version())
            newer += (newer.empty() ? "" : ", ") + std::string("class '") + std::string(s.Text(1)) +
                     "' in version " + std::to_string(s.Int(2)) + " (this program knows up to " +
                     std::to_string(md->Version()) + ")";
    }
    s.Reset();
    if (!newer.empty())
        sql_.FailWith("stored by a newer program: " + newer);
    if (!outdated.empty())
        sql_.FailWith("stored in older class layouts (" + outdated +
                      "); it opens only through an upgrade");
}

std::string cls_Catalog::Quoted(std::string_view name) { return quoted(name); }

std::string cls_Catalog::TableDefinition(const cls_ClassMetadata& md, const std::string& table) {
    std::string ddl = "CREATE TABLE " + quoted(table) + " (oid INTEGER PRIMARY KEY, \"#uid\" INTEGER NOT NULL";
    for (const auto& column : md.Columns())
        ddl += ", " + quoted(column.name) + " " + column.sqlType;
    return ddl + ")";
}

std::string cls_Catalog::LayoutText(const cls_ClassMetadata& md) {
    std::string layout;
    for (const auto& column : md.Columns())
        layout += (layout.empty() ? "" : ",") + column.name + ":" + column.sqlType;
    return layout;
}

const cls_Catalog::WriteTable& cls_Catalog::ForWriting(const cls_ClassMetadata& md) {
    // Registering a class again (the module restarted) replaces its metadata: the SQL is then
    // built afresh from the new one.
    auto it = writeTables_.find(md.TypeId());
    if (it != writeTables_.end() && it->second.metadata == &md)
        return it->second;
    WriteTable t{md.Name().str(), &md, {}};
    if (!sql_.TableExists(t.name)) {
        sql_.Execute(TableDefinition(md, t.name).c_str());
        cls_SqliteStatement& c = sql_.Cached(
            "INSERT OR REPLACE INTO cls_catalog (typeId, name, version, layout) VALUES (?, ?, ?, ?)");
        c.Bind(1, std::int64_t{md.TypeId()}).Bind(2, md.Name().view());
        c.Bind(3, std::int64_t{md.Version()}).Bind(4, LayoutText(md)).Run();
        createdInWrite_.push_back(md.TypeId());
    }
    std::string names = "oid, \"#uid\"", marks = "?, ?";
    for (const auto& column : md.Columns()) {
        names += ", " + quoted(column.name);
        marks += ", ?";
    }
    t.insertSql = "INSERT OR REPLACE INTO " + quoted(t.name) + " (" + names + ") VALUES (" + marks + ")";
    return writeTables_[md.TypeId()] = std::move(t);
}

const cls_Catalog::ReadTable& cls_Catalog::ForReading(std::uint32_t classId,
                                                      const std::string& className) {
    auto it = readTables_.find(classId);
    if (it != readTables_.end() && it->second.name == className)
        return it->second;
    if (!sql_.TableExists(className))
        sql_.FailWith("damaged: no table for class '" + className + "'");
    ReadTable t;
    t.name = className;
    t.batchSql = "SELECT * FROM " + quoted(className) + " WHERE oid >= ?1 ORDER BY oid LIMIT ?2";
    cls_SqliteStatement& s = sql_.Cached(t.batchSql);
    for (int c = 0; c < s.ColumnCount(); ++c)
        t.columns.emplace_back(s.ColumnName(c));
    if (t.Column("oid") != 0 || t.Column(kUidColumn) != 1)
        sql_.FailWith("damaged: the table of class '" + className + "' lacks its key columns");
    return readTables_[classId] = std::move(t);
}

std::vector<std::pair<std::string, std::vector<std::string>>> cls_Catalog::ReferenceColumns() {
    std::vector<std::string> names;
    cls_SqliteStatement& s = sql_.Cached("SELECT name FROM cls_catalog");
    while (s.Step())
        names.emplace_back(s.Text(0));
    s.Reset();
    std::vector<std::pair<std::string, std::vector<std::string>>> tables;
    for (const std::string& name : names) {
        if (!sql_.TableExists(name))
            continue;
        cls_SqliteStatement& columns = sql_.Cached("SELECT * FROM " + quoted(name) + " LIMIT 0");
        std::vector<std::string> references;
        for (int c = 0; c < columns.ColumnCount(); ++c)
            if (endsWith(columns.ColumnName(c), "#OID"))
                references.emplace_back(columns.ColumnName(c));
        tables.emplace_back(name, std::move(references));
    }
    return tables;
}

void cls_Catalog::ForgetCreatedTables() {
    for (std::uint32_t id : createdInWrite_)
        writeTables_.erase(id);
    createdInWrite_.clear();
    readTables_.clear();
}
