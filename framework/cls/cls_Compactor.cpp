#include "cls_Compactor.h"

#include "cls_Catalog.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"

#include <absl/container/flat_hash_map.h>
#include <absl/container/flat_hash_set.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

std::string quoted(const std::string& name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + "\"";
}

using Edge = std::pair<std::uint64_t, std::uint64_t>; // owner row -> referred row

// Every row of one table, and the references its rows hold.
void scan(cls_SqliteConnection& sql, const std::string& select, int references,
          std::vector<std::uint64_t>& rows, std::vector<Edge>& edges) {
    cls_SqliteStatement& s = sql.Cached(select);
    while (s.Step()) {
        const auto oid = static_cast<std::uint64_t>(s.Int(0));
        rows.push_back(oid);
        for (int r = 1; r <= references; ++r)
            if (s.IsInteger(r))
                edges.emplace_back(oid, static_cast<std::uint64_t>(s.Int(r)));
    }
    s.Reset();
}

void deleteRows(cls_SqliteConnection& sql, const std::string& table,
                const std::vector<std::uint64_t>& rows, const absl::flat_hash_set<std::uint64_t>& reached,
                std::vector<std::uint64_t>* deletedOids, long& deleted) {
    for (std::uint64_t oid : rows) {
        if (reached.contains(oid))
            continue;
        sql.Cached("DELETE FROM " + quoted(table) + " WHERE oid = ?")
            .Bind(1, static_cast<std::int64_t>(oid))
            .Run();
        if (deletedOids)
            deletedOids->push_back(oid);
        ++deleted;
    }
}

} // namespace

std::vector<std::string> cls_Compactor::Verify(cls_SqliteConnection& sql, cls_Catalog& catalog) {
    std::vector<std::string> problems;
    absl::flat_hash_set<std::uint64_t> rows, collections, intLists;
    std::vector<Edge> edges;
    std::vector<std::pair<std::string, std::vector<Edge>>> byTable;
    for (auto& [name, references] : catalog.ReferenceColumns()) {
        std::string select = "SELECT oid";
        for (const std::string& column : references)
            select += ", " + quoted(column);
        std::vector<std::uint64_t> oids;
        std::vector<Edge> refs;
        scan(sql, select + " FROM " + quoted(name), static_cast<int>(references.size()), oids, refs);
        rows.insert(oids.begin(), oids.end());
        byTable.emplace_back(name, std::move(refs));
    }
    for (const char* name : {"cls_intlist", "cls_strlist", "cls_collection"}) {
        std::vector<std::uint64_t> oids;
        scan(sql, std::string("SELECT oid FROM ") + name, 0, oids, edges);
        rows.insert(oids.begin(), oids.end());
        if (std::string_view(name) == "cls_collection")
            collections.insert(oids.begin(), oids.end());
        if (std::string_view(name) == "cls_intlist")
            intLists.insert(oids.begin(), oids.end());
    }
    auto missing = [&](const std::string& who, std::uint64_t to) {
        if (!rows.contains(to))
            problems.push_back(who + " refers to object " + std::to_string(to) + ", which is missing");
    };
    for (const auto& [table, refs] : byTable)
        for (const auto& [from, to] : refs)
            missing("object " + std::to_string(from) + " (" + table + ")", to);
    cls_SqliteStatement& roots = sql.Cached("SELECT name, oid FROM cls_roots");
    while (roots.Step())
        missing("root '" + std::string(roots.Text(0)) + "'", static_cast<std::uint64_t>(roots.Int(1)));
    roots.Reset();
    for (const char* table : {"cls_map", "cls_objlist"}) {
        cls_SqliteStatement& s = sql.Cached(std::string("SELECT oid, elemOid FROM ") + table);
        while (s.Step()) {
            const auto owner = static_cast<std::uint64_t>(s.Int(0));
            const std::string who = std::string(table == std::string("cls_map") ? "an entry" : "an element") +
                                    " of collection " + std::to_string(owner);
            if (!collections.contains(owner))
                problems.push_back(who + " belongs to no stored collection");
            missing(who, static_cast<std::uint64_t>(s.Int(1)));
        }
        s.Reset();
    }
    // Int lists: the bytes of all their pieces against their counts.
    absl::flat_hash_map<std::uint64_t, std::int64_t> pieceBytes;
    cls_SqliteStatement& pieces =
        sql.Cached("SELECT id >> 14, sum(length(ids)) FROM cls_intchunk GROUP BY id >> 14");
    while (pieces.Step())
        pieceBytes[static_cast<std::uint64_t>(pieces.Int(0))] = pieces.Int(1);
    pieces.Reset();
    for (const auto& [list, bytes] : pieceBytes)
        if (!intLists.contains(list))
            problems.push_back("pieces of int list " + std::to_string(list) + " belong to no list");
    cls_SqliteStatement& lists = sql.Cached("SELECT oid, count, length(ids) FROM cls_intlist");
    while (lists.Step()) {
        const auto oid = static_cast<std::uint64_t>(lists.Int(0));
        auto it = pieceBytes.find(oid);
        const std::int64_t bytes = lists.Int(2) + (it == pieceBytes.end() ? 0 : it->second);
        if (bytes != 4 * lists.Int(1))
            problems.push_back("int list " + std::to_string(oid) + " holds " + std::to_string(bytes) +
                               " bytes for " + std::to_string(lists.Int(1)) + " ids");
    }
    lists.Reset();
    return problems;
}

cls_Compactor::Result cls_Compactor::Sweep(cls_SqliteConnection& sql, cls_Catalog& catalog,
                                           const std::vector<std::uint64_t>& alsoReached,
                                           bool dryRun) {
    struct Table {
        std::string name;
        std::vector<std::uint64_t> rows;
    };
    std::vector<Table> tables;
    std::vector<Edge> edges;
    for (auto& [name, references] : catalog.ReferenceColumns()) {
        std::string select = "SELECT oid";
        for (const std::string& column : references)
            select += ", " + quoted(column);
        Table t{name, {}};
        scan(sql, select + " FROM " + quoted(name), static_cast<int>(references.size()), t.rows,
             edges);
        tables.push_back(std::move(t));
    }
    for (const char* name : {"cls_intlist", "cls_strlist", "cls_collection"}) {
        Table t{name, {}};
        scan(sql, std::string("SELECT oid FROM ") + name, 0, t.rows, edges);
        tables.push_back(std::move(t));
    }
    std::vector<std::uint64_t> owners; // collections' entries are edges, not rows of their own
    scan(sql, "SELECT oid, elemOid FROM cls_map", 1, owners, edges);
    scan(sql, "SELECT oid, elemOid FROM cls_objlist", 1, owners, edges);
    std::sort(edges.begin(), edges.end());

    absl::flat_hash_set<std::uint64_t> reached;
    std::vector<std::uint64_t> work = alsoReached;
    cls_SqliteStatement& roots = sql.Cached("SELECT oid FROM cls_roots");
    while (roots.Step())
        work.push_back(static_cast<std::uint64_t>(roots.Int(0)));
    roots.Reset();
    while (!work.empty()) {
        const std::uint64_t oid = work.back();
        work.pop_back();
        if (!reached.insert(oid).second)
            continue;
        for (auto it = std::lower_bound(edges.begin(), edges.end(), Edge{oid, 0});
             it != edges.end() && it->first == oid; ++it)
            work.push_back(it->second);
    }

    Result result;
    if (dryRun) {
        for (const Table& t : tables)
            for (std::uint64_t oid : t.rows)
                result.deleted += reached.contains(oid) ? 0 : 1;
        for (const Table& t : tables)
            result.kept += static_cast<long>(t.rows.size());
        result.kept -= result.deleted;
        return result;
    }
    std::vector<std::uint64_t> deadCollections;
    for (const Table& t : tables)
        deleteRows(sql, t.name, t.rows, reached,
                   t.name == "cls_collection" ? &deadCollections : nullptr, result.deleted);
    sql.Execute("DELETE FROM cls_intchunk WHERE (id >> 14) NOT IN (SELECT oid FROM cls_intlist)");
    for (std::uint64_t oid : deadCollections) {
        sql.Cached("DELETE FROM cls_map WHERE oid = ?").Bind(1, static_cast<std::int64_t>(oid)).Run();
        sql.Cached("DELETE FROM cls_objlist WHERE oid = ?")
            .Bind(1, static_cast<std::int64_t>(oid))
            .Run();
    }
    for (const Table& t : tables)
        result.kept += static_cast<long>(t.rows.size());
    result.kept -= result.deleted;
    return result;
}
