// One open model database: the SQLite file (cls_Catalog: its schema; cls_RowStore: its rows),
// the commit of writes, the identities of the objects read from it, and the failures that a
// destructor could not report.
//
// Guarantees:
// - A write (cls_Writer) reaches the file only in its commit, as one transaction: after a
//   failure, a crash or a kill the file holds the last committed state.
// - Rows are allocated by the file and never reused: a write never replaces another object's
//   row. Rows that nothing reaches any more are swept in a commit once enough rows were
//   written since the last sweep for them to matter (cls_Compactor); their pages are reused,
//   and once free pages make most of the file it is rebuilt without them.
// - Reads of one open database see one committed state: once another connection has changed
//   the file, the next read or write throws ("changed by another writer") instead of mixing two
//   states. The database's own commits move it on.
// - A failure kept by KeepFailure is thrown by the next operation.
//
// Shared (std::shared_ptr) by the ddr_Ddb that opened it and by the agents of the stored maps
// read from it, which may outlive the ddr_Ddb.
#pragma once

#include "cls_Catalog.h"
#include "cls_Identities.h"
#include "cls_OpenMode.h"
#include "cls_RowStore.h"
#include "cls_SqliteConnection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class cls_ClassMetadata;
class cls_Writer;
struct cls_WriteBatch;

class cls_Database {
public:
    using Mode = cls_OpenMode;
    using Reference = cls_RowStore::Reference;
    using Root = cls_RowStore::Root;

    // Opens (or, with Create, creates) a model database; ":memory:" makes a private one.
    // A file that is missing, not a model database, damaged, or stored in class layouts older
    // than the registered ones raises nex_TextException naming the file and the problem.
    // Allocates the database and its connection; reads the format marker and the catalog (a few
    // queries). A new file gets its schema with its first write, not here.
    static std::shared_ptr<cls_Database> Open(const std::string& path, Mode mode);
    explicit cls_Database(const std::string& path, Mode mode); // use Open
    // A file created and never written gets its schema here, so that it opens as an empty
    // model database (one transaction, with the commit's syncs).
    ~cls_Database();
    cls_Database(const cls_Database&) = delete;
    cls_Database& operator=(const cls_Database&) = delete;

    // No copy, no query, O(1). Fail builds the message and throws.
    const std::string& Path() const { return sql_.Path(); }
    bool IsReadOnly() const { return sql_.IsReadOnly(); }
    cls_SqliteConnection& Sql() { return sql_; }
    [[noreturn]] void Fail(const std::string& problem) const { sql_.FailWith(problem); }
    void SetBusyTimeout(int milliseconds) { sql_.SetBusyTimeout(milliseconds); }

    // Metadata of a stored class id; unknown ids raise an error naming the file. A registrar
    // lookup, O(1); no query.
    const cls_ClassMetadata& ClassOf(std::uint32_t classId) const;

    // ---- writing ----
    // The write in progress on this database, if any: stored maps flushed while a write is
    // running join it instead of starting a transaction of their own. O(1).
    cls_Writer* ActiveWriter() const { return activeWriter_; }
    void SetActiveWriter(cls_Writer* writer) { activeWriter_ = writer; }
    // Stores a write's batch in one transaction (sweeping unreachable rows when due). Throws,
    // with nothing stored, on any failure. One statement per queued row, the identity record's
    // lock a few times (and once per reference to an object that an earlier write stored), and
    // the commit's syncs of the journal and the file; a due sweep adds a pass over every row
    // (cls_Compactor), and a rebuild of the file when free pages make most of it.
    void Commit(const cls_WriteBatch& batch);
    // Sweeps every unreachable row now and rebuilds the file without its free pages, in
    // transactions of their own. Cost: a pass over every row, then a copy of the file.
    void Compact();
    // Rows that nothing reaches (a pass over every row; nothing changes). Between sweeps a
    // healthy file holds some: they go with the next sweep or Compact.
    long UnreachableRows();
    // SQLite's integrity check and the store's own invariants (see cls_Compactor::Verify), one
    // text per problem; empty for a sound file. Reads every row; changes nothing.
    std::vector<std::string> Verify();
    // From now on, objects of the class of `layout` are stored in that layout, an older one
    // (for test and fixture files, which only an upgrade opens afterwards): attributes both
    // layouts have keep their values, those the layout lacks are dropped, and those only it has
    // take what `fill` gives (the record and the attribute's name). Borrows the layout, moves
    // `fill` in; O(1), no query.
    using LayoutFill = std::function<cls_MementoWrite::Value(const cls_MementoWrite& record,
                                                             const std::string& attribute)>;
    void StoreInLayout(const cls_ClassMetadata& layout, LayoutFill fill);
    // The row of an identity stored or read here, or 0. One lock and a hash lookup in the
    // process's record (cls_Identities); no query.
    std::uint64_t RowOf(std::uint64_t uid, std::uint32_t classId) const;
    // Rows that count as reached while stored maps read from them are open. A counted hash
    // entry: O(1); the first pin of a row allocates it.
    void Pin(std::uint64_t row) { ++pinned_[row]; }
    void Unpin(std::uint64_t row);

    // ---- reading ----
    // No copy, O(1).
    cls_RowStore& Rows() { return rows_; }
    // One query by the roots table's key; none for a file not written yet.
    std::optional<Root> FindRoot(const std::string& name);
    // One query over the roots table, O(roots); allocates the names.
    std::vector<std::string> RootNames();
    // The identity the object read from `row` takes (see cls_Identities). One lock, O(1); no
    // query.
    std::uint64_t IdentityOfRow(std::uint64_t row, std::uint32_t classId, std::uint64_t storedUid);
    // Throws when another connection changed the file since this database last read or wrote
    // it: objects read from then on could mix two committed states. Reads the file's change
    // counter without a statement: O(1).
    void CheckUnchanged() const;

    // ---- failures that could not be thrown where they happened ----
    // Copies the text; O(1) amortised.
    void KeepFailure(const std::string& problem);
    // Throws the kept failures (once) and forgets them. O(1) when none is kept.
    void ThrowKeptFailure();
    // O(1).
    bool HasKeptFailure() const { return !keptFailures_.empty(); }

    // ---- counts for tests and benchmarks (plain counters, O(1)) ----
    long RowsWritten() const { return rows_.RowsWritten(); }
    long Fetches() const { return fetches_; }
    void CountFetch() { ++fetches_; }
    long Sweeps() const { return sweeps_; }

private:
    struct Counters {
        std::int64_t nextRow, rows, newRows, replaced;
    };
    Counters readCounters();
    void writeCounters(const Counters& c);
    void startFile();
    void giveBackFreePages();

    cls_SqliteConnection sql_;
    cls_Catalog catalog_;
    cls_RowStore rows_;
    bool schemaPending_ = false; // created, not yet written
    std::uint32_t fileSlot_ = 0;
    std::uint32_t baseline_ = 0;
    cls_Writer* activeWriter_ = nullptr;
    std::unordered_map<std::uint64_t, int> pinned_;
    struct OtherLayout {
        const cls_ClassMetadata* layout;
        LayoutFill fill;
    };
    std::unordered_map<std::uint32_t, OtherLayout> otherLayouts_;
    std::vector<std::string> keptFailures_;
    long fetches_ = 0;
    long sweeps_ = 0;
};
