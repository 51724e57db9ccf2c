// The rows of one model database: writing them inside a write's transaction, and reading them
// back.
//
// Reads of object rows, lists and collection headers read ahead: a miss asks for the rows from
// the wanted key on, a few more each time the next miss follows closely (rows stored together
// have neighbouring keys), so reading many small objects costs one statement step per row
// rather than a statement per row. What was read ahead is forgotten after every commit.
#pragma once

#include "cls_Catalog.h"
#include "cls_MementoWrite.h"
#include "cls_StoredRow.h"
#include "cow_1DArrayList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class cls_SqliteConnection;

class cls_RowStore {
public:
    struct Reference {
        std::uint64_t oid;
        std::uint32_t classId;
    };
    struct Root {
        std::uint64_t oid;
        std::uint32_t classId;
        int collection;
    };
    struct Entry {
        int key;
        Reference element;
    };
    // The identity stored with a list or collection, and its content.
    template <class Content>
    struct Stored {
        std::uint64_t uid;
        Content content;
    };
    // The row an identity (of that class) has in this write.
    using RowOfUid = std::function<std::uint64_t(std::uint64_t uid, std::uint32_t classId)>;

    // Borrows the connection and the catalog; allocates the empty read-ahead caches. No query.
    cls_RowStore(cls_SqliteConnection& sql, cls_Catalog& catalog);
    ~cls_RowStore();

    // ---- writing, inside the write's transaction ----
    // Each runs its statements (prepared once per connection) in the open transaction; the
    // changed pages reach the file at its commit.
    // One insert of the row, O(columns); references become rows through `rowOf`.
    void PutObject(const cls_Catalog::WriteTable& table, std::uint64_t oid, std::uint64_t uid,
                   const std::vector<cls_MementoWrite::Value>& values, const RowOfUid& rowOf);
    // `existed`: the list was stored before (its old pieces go: one delete more). One insert; up
    // to 16 Ki ids are bound as one BLOB (gathered into a staging buffer), longer lists are
    // written in place in 1 MiB pieces, one row each. O(n); the list is never copied whole.
    void PutIntList(std::uint64_t oid, std::uint64_t uid, const cow_1DArrayList<int>& ids,
                    bool existed);
    // Packs the texts into one BLOB (allocates, O(total length)); one insert.
    void PutStringList(std::uint64_t oid, std::uint64_t uid, const std::vector<cow_String>& texts);
    // One insert.
    void PutCollection(std::uint64_t oid, std::uint64_t uid, int kind);
    // Drops the elements of an object list before they are written anew: one delete,
    // O(elements). The next three: one statement each, O(log rows) in the file.
    void RestartList(std::uint64_t oid);
    void PutListElement(std::uint64_t list, int position, Reference element);
    void PutMapEntry(std::uint64_t map, int key, Reference element);
    void RemoveMapEntry(std::uint64_t map, int key);
    // Answers whether the name was a root already (its old object may now be unreachable). A
    // lookup and an insert: two statements.
    bool PutRoot(const std::string& name, const Root& root);
    // Rows written to class, list, collection and entry tables since the database opened. O(1).
    long RowsWritten() const { return rowsWritten_; }

    // ---- reading ----
    // One query by key.
    std::optional<Root> FindRoot(const std::string& name);
    // One query over the roots table, O(roots); allocates the names.
    std::vector<std::string> RootNames();
    // The row of an object; a missing row is damage, named with the class and the key. A row
    // read ahead costs a search of the last four batches, no query; a miss runs one query for
    // up to 256 rows from `oid` on, their values allocated in one block that the row shares.
    std::shared_ptr<const cls_StoredRow> ObjectRow(std::uint32_t classId,
                                                   const std::string& className, std::uint64_t oid);
    // Read ahead like ObjectRow; up to 64 KiB the ids come with the batch, a longer list is read
    // straight into the new list from its pieces (one query for them, one BLOB read per
    // block). Allocates the list; every id is copied once, O(n).
    Stored<cow_1DArrayList<int>> IntList(std::uint64_t oid);
    // Read ahead like ObjectRow (a list over 64 KiB costs one query more); allocates every text,
    // O(total length).
    Stored<std::vector<cow_String>> StringList(std::uint64_t oid);
    // A stored map's or object list's identity and kind (1 a list, 5 a map). Read ahead like
    // ObjectRow: no query on a hit.
    Stored<int> Collection(std::uint64_t oid);
    // One query, O(elements); allocates the result.
    std::vector<Reference> ListElements(std::uint64_t list);
    // Read ahead with the maps stored after it: a hit copies the cached entries, O(entries); a
    // miss runs one query, and a map too large for the batch two more (a count, then its entries
    // into one allocation).
    std::vector<Entry> MapEntries(std::uint64_t map);
    // Frees every batch read ahead: O(rows cached), no query.
    void ForgetReads();

private:
    struct Caches;

    cls_SqliteConnection& sql_;
    cls_Catalog& catalog_;
    std::unique_ptr<Caches> caches_;
    std::vector<int> stage_;   // a short int list gathered for binding
    std::vector<int> scratch_; // scratch of the int-list encoder
    long rowsWritten_ = 0;
};
