// Deletes the rows of a model database that nothing reaches any more: the objects, lists and
// collections that no root (and no stored map still open in the process) leads to, after their
// owners were replaced or removed. It runs inside a write's transaction, once enough rows were
// written since the last run for unreachable ones to matter (see cls_Database).
//
// Cost: one pass over every table (the rows' references), then one delete per unreachable row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cls_Catalog;
class cls_SqliteConnection;

class cls_Compactor {
public:
    struct Result {
        long kept = 0;
        long deleted = 0;
    };

    // The store's own invariants, one text per broken one: every reference (of an object, a
    // root, a map entry, a list element) names a row that is there, every entry and element
    // belongs to a stored map or list, and every int list holds the bytes its count says.
    // Reads every row once (their keys held in memory, O(rows + references)); changes nothing.
    static std::vector<std::string> Verify(cls_SqliteConnection& sql, cls_Catalog& catalog);

    // `alsoReached`: rows that count as reached besides the roots. With `dryRun`, nothing is
    // deleted: the result counts what would be. Runs in the caller's transaction: one pass over
    // every table, every row's key and references held in memory (O(rows + references)), then
    // one delete per unreachable row; the deletions reach the file at that transaction's commit.
    static Result Sweep(cls_SqliteConnection& sql, cls_Catalog& catalog,
                        const std::vector<std::uint64_t>& alsoReached, bool dryRun = false);
};
