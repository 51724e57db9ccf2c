#include "cls_Compactor.h"

#include "cls_Catalog.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"

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
