#include "cls_Database.h"

#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "cls_SqliteStatement.h"
#include "cls_SqliteTransaction.h"
#include "cow_1DArrayIter.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

static_assert(std::endian::native == std::endian::little,
              "int lists are stored as little-endian int32 BLOBs; add byte swapping here");

namespace {

constexpr const char* kFormatName = "region model database";
constexpr int kFormatVersion = 1;

std::string quoted(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + "\"";
}

std::string hexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", id);
    return text;
}

// The columns of a class table, in attribute order.
std::vector<std::pair<std::string, const char*>> columnsOf(const cls_ClassMetadata& md) {
    std::vector<std::pair<std::string, const char*>> columns;
    for (const auto& a : md.Attributes()) {
        const std::string name = a.handle.Name().str();
        if (a.type == cls_AttrObject) {
            columns.emplace_back(name + "#OID", "INTEGER");
            columns.emplace_back(name + "#ClassID", "INTEGER");
        } else if (a.type == cls_AttrString || a.type == cls_AttrEnum) {
            columns.emplace_back(name, "TEXT");
        } else {
            columns.emplace_back(name, "INTEGER");
        }
    }
    return columns;
}

struct ClassTable {
    std::string name;
    std::vector<std::string> columns;
    std::string insertSql;
    std::string selectSql;
};

// Per class id: the SQL for its table, built once per process.
// Keyed by type id and checked against the metadata object: registering a class again (the
// module restarted) replaces its metadata, and the SQL is then built afresh from the new one.
const ClassTable& classTable(const cls_ClassMetadata& md) {
    static std::unordered_map<std::uint32_t, std::pair<const cls_ClassMetadata*, ClassTable>> tables;
    auto it = tables.find(md.TypeId());
    if (it != tables.end() && it->second.first == &md)
        return it->second.second;
    ClassTable t;
    t.name = md.Name().str();
    std::string names = "oid", marks = "?";
    for (const auto& [column, type] : columnsOf(md)) {
        t.columns.push_back(column);
        names += ", " + quoted(column);
        marks += ", ?";
    }
    t.insertSql = "INSERT OR REPLACE INTO " + quoted(t.name) + " (" + names + ") VALUES (" + marks + ")";
    t.selectSql = "SELECT * FROM " + quoted(t.name) + " WHERE oid = ?";
    auto& slot = tables[md.TypeId()];
    slot = {&md, std::move(t)};
    return slot.second;
}

cls_SqliteConnection::Mode sqlMode(cls_Database::Mode mode) {
    switch (mode) {
    case cls_Database::Mode::Create: return cls_SqliteConnection::Mode::Create;
    case cls_Database::Mode::ReadWrite: return cls_SqliteConnection::Mode::ReadWrite;
    case cls_Database::Mode::ReadOnly: break;
    }
    return cls_SqliteConnection::Mode::ReadOnly;
}

} // namespace

std::shared_ptr<cls_Database> cls_Database::Open(const std::string& path, Mode mode) {
    return std::make_shared<cls_Database>(path, mode);
}

cls_Database::cls_Database(const std::string& path, Mode mode) : sql_(path, sqlMode(mode)) {
    checkFormat(mode);
    checkCatalogVersions();
    // Reads of large lists come straight from the mapped file.
    sql_.Execute("PRAGMA mmap_size = 1073741824");
}

void cls_Database::checkFormat(Mode mode) {
    // The first read of the file's header: a file that is not SQLite fails here.
    cls_SqliteStatement& tables = sql_.Cached("SELECT count(*) FROM sqlite_master");
    tables.Step();
    const std::int64_t tableCount = tables.Int(0);
    tables.Reset();

    if (tableCount == 0) {
        if (mode != Mode::Create)
            Fail("not a model database (the file holds no tables)");
        createSchema();
        return;
    }
    if (!sql_.TableExists("cls_meta"))
        Fail("not a model database (no format marker)");
    cls_SqliteStatement& marker = sql_.Cached("SELECT value FROM cls_meta WHERE key = 'format'");
    const bool found = marker.Step() && marker.Text(0) == kFormatName;
    marker.Reset();
    if (!found)
        Fail("not a model database (unknown format marker)");
    cls_SqliteStatement& version =
        sql_.Cached("SELECT value FROM cls_meta WHERE key = 'formatVersion'");
    const std::int64_t v = version.Step() ? version.Int(0) : 0;
    version.Reset();
    if (v != kFormatVersion)
        Fail("storage format version " + std::to_string(v) + " is not supported (expected " +
             std::to_string(kFormatVersion) + ")");
}

void cls_Database::createSchema() {
    // Large pages keep big id lists in few overflow pages; must precede the first table.
    sql_.Execute("PRAGMA page_size = 65536");
    // The pager keeps the number of cache pages it worked out for the default 4 KiB pages, a
    // 31 MiB cache once pages are 64 KiB, which a store of a large list fills with fresh
    // memory. Sized again in KiB (SQLite's default amount), it holds 31 pages.
    sql_.Execute("PRAGMA cache_size = -2000");
    cls_SqliteTransaction t(sql_);
    sql_.Execute(
        "CREATE TABLE cls_meta (key TEXT PRIMARY KEY, value);"
        "CREATE TABLE cls_catalog (typeId INTEGER PRIMARY KEY, name TEXT NOT NULL, "
        "  version INTEGER NOT NULL, layout TEXT NOT NULL);"
        "CREATE TABLE cls_roots (name TEXT PRIMARY KEY, oid INTEGER NOT NULL, "
        "  classId INTEGER NOT NULL, collection INTEGER NOT NULL);"
        "CREATE TABLE cls_intlist (oid INTEGER PRIMARY KEY, ids BLOB NOT NULL);"
        "CREATE TABLE cls_strlist (oid INTEGER PRIMARY KEY, texts BLOB NOT NULL);"
        "CREATE TABLE cls_objlist (oid INTEGER NOT NULL, pos INTEGER NOT NULL, "
        "  elemOid INTEGER NOT NULL, elemClassId INTEGER NOT NULL, PRIMARY KEY (oid, pos)) "
        "  WITHOUT ROWID;"
        "CREATE TABLE cls_map (oid INTEGER NOT NULL, key INTEGER NOT NULL, "
        "  elemOid INTEGER NOT NULL, elemClassId INTEGER NOT NULL, PRIMARY KEY (oid, key)) "
        "  WITHOUT ROWID;");
    cls_SqliteStatement& meta = sql_.Cached("INSERT INTO cls_meta (key, value) VALUES (?, ?)");
    meta.Bind(1, std::string_view("format")).Bind(2, std::string_view(kFormatName)).Run();
    meta.Bind(1, std::string_view("formatVersion")).Bind(2, std::int64_t{kFormatVersion}).Run();
    t.Commit();
}

void cls_Database::checkCatalogVersions() {
    cls_SqliteStatement& s = sql_.Cached("SELECT typeId, name, version FROM cls_catalog");
    const cls_ClassRegistrar& registrar = cls_ClassRegistrar::Current();
    std::string outdated;
    while (s.Step()) {
        const auto* md = registrar.Find(static_cast<std::uint32_t>(s.Int(0)));
        if (md && s.Int(2) < md->Version())
            outdated += (outdated.empty() ? "" : ", ") + std::string(s.Text(1)) + " " +
                        std::to_string(s.Int(2)) + " (current " + std::to_string(md->Version()) +
                        ")";
    }
    s.Reset();
    if (!outdated.empty())
        Fail("stored in older class layouts (" + outdated + "); it opens only through an upgrade");
}

const cls_ClassMetadata& cls_Database::ClassOf(std::uint32_t classId) const {
    const cls_ClassMetadata* md = cls_ClassRegistrar::Current().Find(classId);
    if (!md)
        Fail("unknown class id " + hexId(classId));
    return *md;
}

const std::string& cls_Database::ensureTable(const cls_ClassMetadata& md) {
    const ClassTable& t = classTable(md);
    if (std::find(tablesKnown_.begin(), tablesKnown_.end(), md.TypeId()) != tablesKnown_.end())
        return t.name;
    if (!sql_.TableExists(t.name)) {
        std::string ddl = "CREATE TABLE " + quoted(t.name) + " (oid INTEGER PRIMARY KEY";
        std::string layout;
        for (const auto& [column, type] : columnsOf(md)) {
            ddl += ", " + quoted(column) + " " + type;
            layout += (layout.empty() ? "" : ",") + column + ":" + type;
        }
        sql_.Execute((ddl + ")").c_str());
        cls_SqliteStatement& c = sql_.Cached(
            "INSERT OR REPLACE INTO cls_catalog (typeId, name, version, layout) VALUES (?, ?, ?, ?)");
        c.Bind(1, std::int64_t{md.TypeId()}).Bind(2, md.Name().view());
        c.Bind(3, std::int64_t{md.Version()}).Bind(4, layout).Run();
    }
    tablesKnown_.push_back(md.TypeId());
    return t.name;
}

void cls_Database::StoreRow(const cls_MementoWrite& row) {
    if (row.ClassId() == cls_ListTypeId) {
        if (row.Collection() == cls_CollIntList)
            storeIntList(row.Oid(), row.IntArray());
        else if (row.Collection() == cls_CollStringList)
            storeStringList(row.Oid(), row.StringList());
        return; // object lists keep their elements in cls_objlist
    }
    if (row.ClassId() == cls_MapTypeId)
        return; // maps keep their entries in cls_map

    const cls_ClassMetadata& md = row.Metadata() ? *row.Metadata() : ClassOf(row.ClassId());
    ensureTable(md);
    const ClassTable& t = classTable(md);
    for (const auto& [name, value] : row.Columns())
        if (std::find(t.columns.begin(), t.columns.end(), name) == t.columns.end())
            Fail("class '" + t.name + "' has no stored attribute '" + name + "'");

    cls_SqliteStatement& s = sql_.Cached(t.insertSql);
    s.Bind(1, static_cast<std::int64_t>(row.Oid()));
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
        const int position = static_cast<int>(c) + 2;
        auto it = std::find_if(row.Columns().begin(), row.Columns().end(),
                               [&](const auto& col) { return col.first == t.columns[c]; });
        if (it == row.Columns().end() || std::holds_alternative<cls_MementoWrite::Null>(it->second))
            s.BindNull(position);
        else if (const auto* i = std::get_if<std::int64_t>(&it->second))
            s.Bind(position, *i);
        else
            s.Bind(position, std::get<cow_String>(it->second).view());
    }
    s.Run();
    ++rowsWritten_;
}

// The ids go from the list's blocks into the BLOB without a copy of the whole list: long runs
// straight from their block, short runs (a list grown by appending has blocks of 16 ids)
// gathered in a staging buffer first, since every BLOB write pays a page lookup whatever its
// size.
void cls_Database::storeIntList(std::uint64_t oid, const cow_1DArrayList<int>& ids) {
    constexpr int kDirectRun = 4096;  // ids; shorter runs are staged
    constexpr int kStageIds = 1 << 16; // 256 KiB, kept for the connection's life
    const std::int64_t bytes = static_cast<std::int64_t>(ids.Count()) * 4;
    cls_SqliteStatement& s =
        sql_.Cached("INSERT OR REPLACE INTO cls_intlist (oid, ids) VALUES (?, zeroblob(?))");
    s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, bytes).Run();
    ++rowsWritten_;
    if (bytes == 0)
        return;
    sqlite3_blob* blob = nullptr;
    int rc = sqlite3_blob_open(sql_.Handle(), "main", "cls_intlist", "ids",
                               static_cast<sqlite3_int64>(oid), 1, &blob);
    if (rc != SQLITE_OK)
        sql_.Fail("writing an int list", rc);
    const int stageIds = std::min(kStageIds, ids.Count());
    int offset = 0; // bytes written
    int staged = 0; // ids waiting in the staging buffer
    auto writeStaged = [&] {
        if (staged > 0 && rc == SQLITE_OK)
            rc = sqlite3_blob_write(blob, stage_.data(), staged * 4, offset);
        offset += staged * 4;
        staged = 0;
    };
    for (cow_1DArrayIter<int> it(ids.Array(), ids.Count()); it.More() && rc == SQLITE_OK;) {
        const int n = it.RunLength();
        if (n >= kDirectRun) {
            writeStaged();
            if (rc == SQLITE_OK)
                rc = sqlite3_blob_write(blob, it.RunData(), n * 4, offset);
            offset += n * 4;
        } else {
            if (static_cast<int>(stage_.size()) < stageIds)
                stage_.resize(stageIds);
            if (staged + n > stageIds)
                writeStaged();
            std::copy_n(it.RunData(), n, stage_.data() + staged);
            staged += n;
        }
        it.Skip(n);
    }
    writeStaged();
    sqlite3_blob_close(blob);
    if (rc != SQLITE_OK)
        sql_.Fail("writing an int list", rc);
}

void cls_Database::storeStringList(std::uint64_t oid, const std::vector<cow_String>& texts) {
    std::string packed;
    for (const cow_String& t : texts) {
        const auto n = static_cast<std::uint32_t>(t.size());
        packed.append(reinterpret_cast<const char*>(&n), 4);
        packed.append(t.view());
    }
    cls_SqliteStatement& s =
        sql_.Cached("INSERT OR REPLACE INTO cls_strlist (oid, texts) VALUES (?, ?)");
    s.Bind(1, static_cast<std::int64_t>(oid)).BindBlob(2, packed.data(), packed.size()).Run();
    ++rowsWritten_;
}

void cls_Database::ClearListElements(std::uint64_t listOid) {
    sql_.Cached("DELETE FROM cls_objlist WHERE oid = ?")
        .Bind(1, static_cast<std::int64_t>(listOid))
        .Run();
}

void cls_Database::PutListElement(std::uint64_t listOid, int position, Reference element) {
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_objlist (oid, pos, elemOid, elemClassId) VALUES (?, ?, ?, ?)");
    s.Bind(1, static_cast<std::int64_t>(listOid)).Bind(2, std::int64_t{position});
    s.Bind(3, static_cast<std::int64_t>(element.oid)).Bind(4, std::int64_t{element.classId}).Run();
    ++rowsWritten_;
}

void cls_Database::PutMapEntry(std::uint64_t mapOid, int key, Reference element) {
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_map (oid, key, elemOid, elemClassId) VALUES (?, ?, ?, ?)");
    s.Bind(1, static_cast<std::int64_t>(mapOid)).Bind(2, std::int64_t{key});
    s.Bind(3, static_cast<std::int64_t>(element.oid)).Bind(4, std::int64_t{element.classId}).Run();
    ++rowsWritten_;
}

void cls_Database::RemoveMapEntry(std::uint64_t mapOid, int key) {
    sql_.Cached("DELETE FROM cls_map WHERE oid = ? AND key = ?")
        .Bind(1, static_cast<std::int64_t>(mapOid))
        .Bind(2, std::int64_t{key})
        .Run();
}

void cls_Database::SetRoot(const std::string& name, const Root& root) {
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_roots (name, oid, classId, collection) VALUES (?, ?, ?, ?)");
    s.Bind(1, name).Bind(2, static_cast<std::int64_t>(root.oid));
    s.Bind(3, std::int64_t{root.classId}).Bind(4, std::int64_t{root.collection}).Run();
}

std::optional<cls_Database::Root> cls_Database::FindRoot(const std::string& name) {
    cls_SqliteStatement& s =
        sql_.Cached("SELECT oid, classId, collection FROM cls_roots WHERE name = ?");
    s.Bind(1, name);
    std::optional<Root> root;
    if (s.Step())
        root = Root{static_cast<std::uint64_t>(s.Int(0)), static_cast<std::uint32_t>(s.Int(1)),
                    static_cast<int>(s.Int(2))};
    s.Reset();
    return root;
}

std::vector<std::string> cls_Database::RootNames() {
    cls_SqliteStatement& s = sql_.Cached("SELECT name FROM cls_roots ORDER BY name");
    std::vector<std::string> names;
    while (s.Step())
        names.emplace_back(s.Text(0));
    s.Reset();
    return names;
}

cls_Database::Row cls_Database::LoadRow(std::uint32_t classId, std::uint64_t oid) {
    const cls_ClassMetadata& md = ClassOf(classId);
    const ClassTable& t = classTable(md);
    if (std::find(tablesKnown_.begin(), tablesKnown_.end(), classId) == tablesKnown_.end()) {
        if (!sql_.TableExists(t.name))
            Fail("damaged: no table for class '" + t.name + "'");
        tablesKnown_.push_back(classId);
    }
    cls_SqliteStatement& s = sql_.Cached(t.selectSql);
    s.Bind(1, static_cast<std::int64_t>(oid));
    if (!s.Step()) {
        s.Reset();
        Fail("damaged: object " + std::to_string(oid) + " of class '" + t.name + "' is missing");
    }
    Row row;
    row.reserve(s.ColumnCount());
    for (int c = 1; c < s.ColumnCount(); ++c) {
        cls_MementoWrite::Value v;
        if (s.IsNull(c))
            v = cls_MementoWrite::Null{};
        else if (s.IsInteger(c))
            v = s.Int(c);
        else
            v = cow_String(s.Text(c));
        row.emplace_back(s.ColumnName(c), std::move(v));
    }
    s.Reset();
    return row;
}

// Reads the BLOB straight into the blocks of a list sized for it: one copy from the file.
cow_1DArrayList<int> cls_Database::LoadIntList(std::uint64_t oid) {
    sqlite3_blob* blob = nullptr;
    int rc = sqlite3_blob_open(sql_.Handle(), "main", "cls_intlist", "ids",
                               static_cast<sqlite3_int64>(oid), 0, &blob);
    if (rc != SQLITE_OK) {
        if ((rc & 0xFF) == SQLITE_ERROR)
            Fail("damaged: int list " + std::to_string(oid) + " is missing");
        sql_.Fail("reading an int list", rc);
    }
    const int bytes = sqlite3_blob_bytes(blob);
    if (bytes % 4 != 0) {
        sqlite3_blob_close(blob);
        Fail("damaged: int list " + std::to_string(oid) + " has a partial id");
    }
    const int n = bytes / 4;
    if (n == 0) {
        sqlite3_blob_close(blob);
        return {};
    }
    cow_1DArray<int> array(n);
    for (int k = 0; k < n && rc == SQLITE_OK;) {
        int* block = &array.Get(k);
        const int chunk = std::min(array.BlockSize() - ((array.Start() + k) & (array.BlockSize() - 1)), n - k);
        rc = sqlite3_blob_read(blob, block, chunk * 4, k * 4);
        k += chunk;
    }
    sqlite3_blob_close(blob);
    if (rc != SQLITE_OK)
        sql_.Fail("reading an int list", rc);
    return cow_1DArrayList<int>(array, n);
}

std::vector<cow_String> cls_Database::LoadStringList(std::uint64_t oid) {
    cls_SqliteStatement& s = sql_.Cached("SELECT texts FROM cls_strlist WHERE oid = ?");
    s.Bind(1, static_cast<std::int64_t>(oid));
    if (!s.Step()) {
        s.Reset();
        Fail("damaged: string list " + std::to_string(oid) + " is missing");
    }
    const auto* p = static_cast<const char*>(s.Blob(0));
    const std::size_t size = static_cast<std::size_t>(s.Bytes(0));
    std::vector<cow_String> texts;
    for (std::size_t at = 0; at < size;) {
        std::uint32_t n = 0;
        if (size - at < 4 || (std::memcpy(&n, p + at, 4), size - at - 4 < n)) {
            s.Reset();
            Fail("damaged: string list " + std::to_string(oid) + " is cut short");
        }
        texts.emplace_back(std::string_view(p + at + 4, n));
        at += 4 + n;
    }
    s.Reset();
    return texts;
}

std::vector<cls_Database::Reference> cls_Database::LoadListElements(std::uint64_t listOid) {
    cls_SqliteStatement& s = sql_.Cached(
        "SELECT elemOid, elemClassId FROM cls_objlist WHERE oid = ? ORDER BY pos");
    s.Bind(1, static_cast<std::int64_t>(listOid));
    std::vector<Reference> elements;
    while (s.Step())
        elements.push_back({static_cast<std::uint64_t>(s.Int(0)), static_cast<std::uint32_t>(s.Int(1))});
    s.Reset();
    return elements;
}

std::vector<int> cls_Database::LoadMapKeys(std::uint64_t mapOid) {
    cls_SqliteStatement& s = sql_.Cached("SELECT key FROM cls_map WHERE oid = ? ORDER BY key");
    s.Bind(1, static_cast<std::int64_t>(mapOid));
    std::vector<int> keys;
    while (s.Step())
        keys.push_back(static_cast<int>(s.Int(0)));
    s.Reset();
    return keys;
}

std::optional<cls_Database::Reference> cls_Database::FindMapEntry(std::uint64_t mapOid, int key) {
    cls_SqliteStatement& s =
        sql_.Cached("SELECT elemOid, elemClassId FROM cls_map WHERE oid = ? AND key = ?");
    s.Bind(1, static_cast<std::int64_t>(mapOid)).Bind(2, std::int64_t{key});
    std::optional<Reference> found;
    if (s.Step())
        found = Reference{static_cast<std::uint64_t>(s.Int(0)), static_cast<std::uint32_t>(s.Int(1))};
    s.Reset();
    return found;
}
