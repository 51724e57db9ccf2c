// The schema of one model database: its format marker, the framework's own tables, and a
// table per stored class with the catalog row that records the class's name, type id and
// schema version.
//
// Framework tables: cls_meta (format, format version, the file's id), cls_counters (the next
// row to allocate and the counts that decide when unreachable rows are swept), cls_catalog,
// cls_roots (named roots), cls_intlist (a list's ids as packed int32: up to 1 MiB in the
// list's row, the rest in 1 MiB rows of cls_intchunk, keyed list << 14 | piece), cls_strlist
// (one packed BLOB per list),
// cls_collection (one row per stored map or object list), cls_objlist and cls_map (their
// elements and entries). Every object row has the key `oid`, allocated from the counter and
// never reused, and `#uid`, the identity the object had when it was stored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class cls_ClassMetadata;
class cls_ClassRegistrar;
class cls_SqliteConnection;

class cls_Catalog {
public:
    static constexpr int kFormatVersion = 2;
    static constexpr const char* kUidColumn = "#uid";

    // The SQL of one class table for writing: an insert of oid, #uid and every column.
    struct WriteTable {
        std::string name;
        const cls_ClassMetadata* metadata;
        std::string insertSql;
    };
    // A class table as the file holds it, for reading rows in batches of ascending oid.
    struct ReadTable {
        std::string name;
        std::vector<std::string> columns; // as selected: oid, #uid, then the stored columns
        std::string batchSql;             // rows with oid >= ?1, at most ?2 of them
        // A linear search of the column names, O(columns); no allocation.
        int Column(std::string_view column) const;
    };

    // Borrows the connection; reads nothing.
    explicit cls_Catalog(cls_SqliteConnection& sql) : sql_(sql) {}

    // The statement that creates the table of a class's layout under `table`, and the layout as
    // the catalog records it. Each builds a new text, O(columns); no query.
    static std::string TableDefinition(const cls_ClassMetadata& md, const std::string& table);
    static std::string LayoutText(const cls_ClassMetadata& md);
    static std::string Quoted(std::string_view name);

    // Whether the file holds no table at all (new, or created and never written). One query: the
    // first read of the file.
    bool IsEmpty();
    // Creates the framework's tables in the open transaction; the file's id is drawn here (from
    // the system's entropy source). One script (ten tables) and three inserts, reaching the file
    // at the commit.
    void CreateSchema();
    // Checks the format marker and version and answers the file's id; anything else is refused
    // with a message naming the file. Two table lookups and one query over cls_meta (three rows).
    std::uint64_t CheckFormat();
    // Refuses a file whose class tables are stored in layouts older than the registered ones.
    // One query over the catalog, O(stored classes), a registrar lookup per class.
    void CheckVersions(const cls_ClassRegistrar& registrar);

    // The table of a class for writing, created (with its catalog row) in the open transaction
    // when the file lacks it. Kept per class: later calls are one hash lookup. The first call of
    // a class looks its table up (one query), creates it and its catalog row when missing (two
    // statements) and builds the insert text.
    const WriteTable& ForWriting(const cls_ClassMetadata& md);
    // The table of a stored class for reading; a file that lacks it is damaged. Kept per class
    // like ForWriting; the first call looks the table up (one query) and prepares the batch
    // query, copying its column names.
    const ReadTable& ForReading(std::uint32_t classId, const std::string& className);
    // Every class table with its columns that refer to other rows (the "#OID" halves). One query
    // over the catalog, then a lookup and a column listing per table (no row read); allocates
    // the result, O(tables · columns).
    std::vector<std::pair<std::string, std::vector<std::string>>> ReferenceColumns();
    // A write rolled back: tables it created are gone again. Drops the kept texts of those and of
    // every table read, O(tables); no query.
    void ForgetCreatedTables();
    // A write committed: the tables it created stay. O(1).
    void KeepCreatedTables() { createdInWrite_.clear(); }

private:
    cls_SqliteConnection& sql_;
    std::unordered_map<std::uint32_t, WriteTable> writeTables_;
    std::unordered_map<std::uint32_t, ReadTable> readTables_;
    std::vector<std::uint32_t> createdInWrite_;
};
