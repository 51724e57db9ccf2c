// One open model database: the SQLite file, its schema and the stored rows of every class.
//
// Layout: a table per stored class, named by its registered name and keyed by the object's
// uid (`oid`), with a column per plain attribute and `<name>#OID` / `<name>#ClassID` per object
// attribute; int lists as packed little-endian int32 BLOBs (cls_intlist), string lists as
// packed BLOBs (cls_strlist), object lists one row per element (cls_objlist), int-keyed maps
// one row per key (cls_map); a catalog of class layouts and versions (cls_catalog) and the
// named roots (cls_roots).
//
// Writers and readers (cls_Writer, cls_Reader) go through this class; it is shared by the
// agents of stored maps, which may outlive the ddr_Ddb that opened it.
#pragma once

#include "cls_MementoWrite.h"
#include "cls_SqliteConnection.h"
#include "cow_1DArrayList.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class cls_ClassMetadata;
class cls_Writer;

class cls_Database {
public:
    enum class Mode { Create, ReadWrite, ReadOnly };

    struct Reference {
        std::uint64_t oid;
        std::uint32_t classId;
    };
    struct Root {
        std::uint64_t oid;
        std::uint32_t classId;
        int collection;
    };
    // A stored row: column names with their values.
    using Row = std::vector<std::pair<std::string, cls_MementoWrite::Value>>;

    // Opens (or, with Create, creates) a model database; ":memory:" makes a private one.
    // A file that is missing, not a model database, damaged, or stored in class layouts older
    // than the registered ones raises nex_TextException naming the file and the problem.
    static std::shared_ptr<cls_Database> Open(const std::string& path, Mode mode);

    const std::string& Path() const { return sql_.Path(); }
    bool IsReadOnly() const { return sql_.IsReadOnly(); }
    cls_SqliteConnection& Sql() { return sql_; }
    [[noreturn]] void Fail(const std::string& problem) const { sql_.FailWith(problem); }
    // The write in progress on this database, if any: stored maps flushed while a write is
    // running join it instead of starting a transaction of their own.
    cls_Writer* ActiveWriter() const { return activeWriter_; }
    void SetActiveWriter(cls_Writer* writer) { activeWriter_ = writer; }

    // Metadata of a stored class id; unknown ids raise an error naming the file.
    const cls_ClassMetadata& ClassOf(std::uint32_t classId) const;

    // Writing (inside a transaction).
    void StoreRow(const cls_MementoWrite& row);
    void ClearListElements(std::uint64_t listOid);
    void PutListElement(std::uint64_t listOid, int position, Reference element);
    void PutMapEntry(std::uint64_t mapOid, int key, Reference element);
    void RemoveMapEntry(std::uint64_t mapOid, int key);
    void SetRoot(const std::string& name, const Root& root);

    // Reading.
    std::optional<Root> FindRoot(const std::string& name);
    std::vector<std::string> RootNames();
    Row LoadRow(std::uint32_t classId, std::uint64_t oid);
    cow_1DArrayList<int> LoadIntList(std::uint64_t oid);
    std::vector<cow_String> LoadStringList(std::uint64_t oid);
    std::vector<Reference> LoadListElements(std::uint64_t listOid);
    std::vector<int> LoadMapKeys(std::uint64_t mapOid);
    std::optional<Reference> FindMapEntry(std::uint64_t mapOid, int key);
    // Rows written to class tables and entry tables since the database was opened; tests use
    // it to show that a flush writes only what changed.
    long RowsWritten() const { return rowsWritten_; }
    // Objects fetched one by one from stored maps since the database was opened.
    long Fetches() const { return fetches_; }
    void CountFetch() { ++fetches_; }

    explicit cls_Database(const std::string& path, Mode mode); // use Open

private:
    void createSchema();
    void checkFormat(Mode mode);
    void checkCatalogVersions();
    const std::string& ensureTable(const cls_ClassMetadata& md);
    void storeIntList(std::uint64_t oid, const cow_1DArrayList<int>& ids);
    void storeStringList(std::uint64_t oid, const std::vector<cow_String>& texts);

    cls_SqliteConnection sql_;
    cls_Writer* activeWriter_ = nullptr;
    std::vector<std::uint32_t> tablesKnown_;
    long rowsWritten_ = 0;
    long fetches_ = 0;
    std::vector<int> stage_; // short runs of ids on their way into a BLOB
};
