#include "cls_Database.h"

#include "cls_ClassMetadata.h"
#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "cls_Compactor.h"
#include "cls_SqliteStatement.h"
#include "cls_SqliteTransaction.h"
#include "cls_WriteBatch.h"

#include <absl/container/flat_hash_map.h>

#include <algorithm>
#include <cstdio>

namespace {

// A sweep runs once the rows added since the last one reach half the rows there were then
// (and at least this many), and something was replaced or removed since: unreachable rows then
// make at most a third of the file, and each sweep's pass is paid for by the rows added.
constexpr std::int64_t kMinRowsBeforeSweep = 64;

std::string hexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", id);
    return text;
}

bool isCollection(std::uint32_t classId) {
    return classId == cls_ListTypeId || classId == cls_MapTypeId;
}

} // namespace

std::shared_ptr<cls_Database> cls_Database::Open(const std::string& path, Mode mode) {
    return std::make_shared<cls_Database>(path, mode);
}

cls_Database::cls_Database(const std::string& path, Mode mode)
    : sql_(path, mode), catalog_(sql_), rows_(sql_, catalog_) {
    // A small page cache: SQLite sizes it in pages, which at 64 KiB would reach 31 MiB.
    sql_.Execute("PRAGMA cache_size = -2000");
    if (catalog_.IsEmpty()) {
        if (mode != Mode::Create)
            Fail("not a model database (the file holds no tables)");
        // Large pages keep big id lists in few overflow pages; both settings must precede the
        // first table. The schema itself goes into the first write, saving a commit.
        sql_.Execute("PRAGMA page_size = 65536");
        schemaPending_ = true;
        return;
    }
    startFile();
    catalog_.CheckVersions(cls_ClassRegistrar::Current());
    baseline_ = sql_.DataVersion();
}

void cls_Database::startFile() {
    fileSlot_ = cls_Identities::Instance().FileSlot(catalog_.CheckFormat());
}

cls_Database::~cls_Database() {
    for (const std::string& failure : keptFailures_) // nobody is left to tell
        std::fprintf(stderr, "model database '%s': %s\n", Path().c_str(), failure.c_str());
    if (!schemaPending_)
        return;
    try {
        cls_SqliteTransaction t(sql_);
        catalog_.CreateSchema();
        t.Commit();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what()); // nobody is left to tell
    }
}

const cls_ClassMetadata& cls_Database::ClassOf(std::uint32_t classId) const {
    const cls_ClassMetadata* md = cls_ClassRegistrar::Current().Find(classId);
    if (!md)
        Fail("unknown class id " + hexId(classId));
    return *md;
}

void cls_Database::Unpin(std::uint64_t row) {
    auto it = pinned_.find(row);
    if (it != pinned_.end() && --it->second == 0)
        pinned_.erase(it);
}

// ---- writing -----------------------------------------------------------------------------

cls_Database::Counters cls_Database::readCounters() {
    cls_SqliteStatement& s =
        sql_.Cached("SELECT nextRow, rows, newRows, replaced FROM cls_counters WHERE id = 1");
    if (!s.Step()) {
        s.Reset();
        Fail("damaged: the row counters are missing");
    }
    Counters c{s.Int(0), s.Int(1), s.Int(2), s.Int(3)};
    s.Reset();
    if (c.nextRow < 1)
        Fail("damaged: the row counter is " + std::to_string(c.nextRow));
    return c;
}

void cls_Database::writeCounters(const Counters& c) {
    cls_SqliteStatement& s = sql_.Cached(
        "UPDATE cls_counters SET nextRow = ?, rows = ?, newRows = ?, replaced = ? WHERE id = 1");
    s.Bind(1, c.nextRow).Bind(2, c.rows).Bind(3, c.newRows).Bind(4, c.replaced).Run();
}

void cls_Database::Commit(const cls_WriteBatch& batch) {
    ThrowKeptFailure();
    if (IsReadOnly())
        Fail("opened read-only: nothing can be stored");
    const bool creating = schemaPending_;
    const long sweepsBefore = sweeps_;
    std::vector<cls_Identities::Assignment> assigned;
    try {
        cls_SqliteTransaction transaction(sql_);
        if (creating) {
            catalog_.CreateSchema();
            startFile();
        }
        Counters c = readCounters();
        if (!creating && sql_.DataVersion() != baseline_)
            Fail("changed by another writer since it was opened or last written; reopen it "
                 "before storing");

        // Rows: the row this process already gave the identity in this file, else a new one.
        const std::size_t n = batch.records.size();
        std::vector<std::uint64_t> uids, rows;
        std::vector<std::uint32_t> classIds;
        uids.reserve(n);
        classIds.reserve(n);
        for (const cls_MementoWrite& r : batch.records) {
            uids.push_back(r.Uid());
            classIds.push_back(r.ClassId());
        }
        cls_Identities::Instance().RowsOf(fileSlot_, uids, classIds, rows);
        absl::flat_hash_map<std::uint64_t, std::uint64_t> rowOf;
        rowOf.reserve(n);
        std::vector<bool> existed(n);
        std::int64_t added = 0, replaced = 0;
        assigned.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const cls_MementoWrite& r = batch.records[i];
            existed[i] = rows[i] != 0;
            if (rows[i] == 0) {
                rows[i] = static_cast<std::uint64_t>(c.nextRow++);
                ++added;
            } else if (!isCollection(r.ClassId()) || r.Collection() == cls_CollIntList ||
                       r.Collection() == cls_CollStringList) {
                ++replaced;
            }
            rowOf[r.Uid()] = rows[i];
            assigned.push_back({r.Uid(), rows[i], r.ClassId()});
        }
        auto resolve = [&](std::uint64_t uid, std::uint32_t classId) -> std::uint64_t {
            if (auto it = rowOf.find(uid); it != rowOf.end())
                return it->second;
            if (std::uint64_t row = cls_Identities::Instance().RowOf(fileSlot_, uid, classId))
                return row;
            Fail("internal: a write refers to object " + std::to_string(uid) +
                 " of class " + hexId(classId) + ", which it does not store");
        };

        for (std::size_t i = 0; i < n; ++i) {
            const cls_MementoWrite& r = batch.records[i];
            const std::uint64_t row = rows[i];
            const bool rowExisted = existed[i];
            if (r.ClassId() == cls_ListTypeId && r.Collection() == cls_CollIntList) {
                rows_.PutIntList(row, r.Uid(), r.IntArray(), rowExisted);
            } else if (r.ClassId() == cls_ListTypeId && r.Collection() == cls_CollStringList) {
                rows_.PutStringList(row, r.Uid(), r.StringList());
            } else if (isCollection(r.ClassId())) {
                // A collection's own row holds only its identity and kind, which never change.
                if (!rowExisted)
                    rows_.PutCollection(row, r.Uid(),
                                        r.ClassId() == cls_MapTypeId ? cls_CollIntKeyedMap
                                                                     : cls_CollObjectList);
            } else if (auto other = otherLayouts_.find(r.ClassId()); other != otherLayouts_.end()) {
                const cls_ClassMetadata& md = r.Metadata() ? *r.Metadata() : ClassOf(r.ClassId());
                const cls_ClassMetadata& layout = *other->second.layout;
                std::vector<cls_MementoWrite::Value> values;
                for (const auto& attribute : layout.Attributes()) {
                    const int mine = md.AttributeIndex(attribute.handle.Name().view());
                    values.push_back(mine >= 0 ? r.Values()[mine]
                                               : other->second.fill(r, attribute.handle.Name().str()));
                }
                rows_.PutObject(catalog_.ForWriting(layout), row, r.Uid(), values, resolve);
            } else {
                const cls_ClassMetadata& md = r.Metadata() ? *r.Metadata() : ClassOf(r.ClassId());
                rows_.PutObject(catalog_.ForWriting(md), row, r.Uid(), r.Values(), resolve);
            }
        }
        for (std::uint64_t list : batch.listsRestarted) {
            rows_.RestartList(resolve(list, cls_ListTypeId));
            ++replaced;
        }
        for (const auto& e : batch.listElements)
            rows_.PutListElement(resolve(e.listUid, cls_ListTypeId), e.position,
                                 {resolve(e.elementUid, e.elementClassId), e.elementClassId});
        std::uint64_t lastMapUid = 0, map = 0; // entries come in runs of one map
        for (const auto& e : batch.mapEntries) {
            if (e.mapUid != lastMapUid) {
                map = resolve(e.mapUid, cls_MapTypeId);
                lastMapUid = e.mapUid;
            }
            if (e.elementUid == 0) {
                rows_.RemoveMapEntry(map, e.key);
                ++replaced;
            } else {
                rows_.PutMapEntry(map, e.key,
                                  {resolve(e.elementUid, e.elementClassId), e.elementClassId});
                replaced += e.replaces ? 1 : 0;
            }
        }
        for (const auto& root : batch.roots)
            if (rows_.PutRoot(root.name, {resolve(root.uid, root.classId), root.classId,
                                          root.collection}))
                ++replaced;

        c.rows += added;
        c.newRows += added;
        c.replaced += replaced;
        if (c.replaced > 0 && c.newRows >= std::max(kMinRowsBeforeSweep, (c.rows - c.newRows) / 2)) {
            std::vector<std::uint64_t> alsoReached;
            for (const auto& [row, count] : pinned_)
                alsoReached.push_back(row);
            const cls_Compactor::Result swept = cls_Compactor::Sweep(sql_, catalog_, alsoReached);
            c.rows = swept.kept;
            c.newRows = 0;
            c.replaced = 0;
            ++sweeps_;
        }
        writeCounters(c);
        transaction.Commit();
    } catch (...) {
        catalog_.ForgetCreatedTables();
        rows_.ForgetReads();
        schemaPending_ = creating;
        throw;
    }
    catalog_.KeepCreatedTables();
    rows_.ForgetReads();
    schemaPending_ = false;
    cls_Identities::Instance().Record(fileSlot_, assigned);
    if (sweeps_ != sweepsBefore)
        giveBackFreePages();
    baseline_ = sql_.DataVersion();
}

void cls_Database::StoreInLayout(const cls_ClassMetadata& layout, LayoutFill fill) {
    otherLayouts_[layout.TypeId()] = {&layout, std::move(fill)};
}

void cls_Database::Compact() {
    ThrowKeptFailure();
    if (IsReadOnly())
        Fail("opened read-only: nothing can be compacted");
    if (activeWriter_)
        Fail("a write is in progress");
    if (schemaPending_)
        return;
    {
        cls_SqliteTransaction transaction(sql_);
        Counters c = readCounters();
        if (sql_.DataVersion() != baseline_)
            Fail("changed by another writer since it was opened or last written; reopen it "
                 "before compacting");
        std::vector<std::uint64_t> alsoReached;
        for (const auto& [row, count] : pinned_)
            alsoReached.push_back(row);
        c.rows = cls_Compactor::Sweep(sql_, catalog_, alsoReached).kept;
        c.newRows = 0;
        c.replaced = 0;
        writeCounters(c);
        transaction.Commit();
    }
    ++sweeps_;
    rows_.ForgetReads();
    sql_.Execute("VACUUM");
    baseline_ = sql_.DataVersion();
}

std::vector<std::string> cls_Database::Verify() {
    std::vector<std::string> problems;
    cls_SqliteStatement check(sql_, "PRAGMA integrity_check");
    while (check.Step())
        if (check.Text(0) != "ok")
            problems.push_back("storage: " + std::string(check.Text(0)));
    if (schemaPending_ || !problems.empty())
        return problems;
    for (std::string& p : cls_Compactor::Verify(sql_, catalog_))
        problems.push_back(std::move(p));
    return problems;
}

long cls_Database::UnreachableRows() {
    if (schemaPending_)
        return 0;
    std::vector<std::uint64_t> alsoReached;
    for (const auto& [row, count] : pinned_)
        alsoReached.push_back(row);
    return cls_Compactor::Sweep(sql_, catalog_, alsoReached, true).deleted;
}

// Pages that a sweep freed are reused by later writes; once they make most of the file, the
// file is rebuilt without them (a transaction of its own, after the commit). A rebuild that
// cannot run now (another connection reads) is left to the next sweep: the write itself has
// committed.
void cls_Database::giveBackFreePages() {
    auto pragma = [this](const char* sql) {
        cls_SqliteStatement& s = sql_.Cached(sql);
        const std::int64_t value = s.Step() ? s.Int(0) : 0;
        s.Reset();
        return value;
    };
    const std::int64_t free = pragma("PRAGMA freelist_count");
    if (free < 64 || free * 2 < pragma("PRAGMA page_count"))
        return;
    try {
        sql_.Execute("VACUUM");
    } catch (const std::exception&) {
    }
}

std::uint64_t cls_Database::RowOf(std::uint64_t uid, std::uint32_t classId) const {
    return fileSlot_ == 0 ? 0 : cls_Identities::Instance().RowOf(fileSlot_, uid, classId);
}

// ---- reading -----------------------------------------------------------------------------

std::optional<cls_Database::Root> cls_Database::FindRoot(const std::string& name) {
    if (schemaPending_)
        return std::nullopt;
    return rows_.FindRoot(name);
}

std::vector<std::string> cls_Database::RootNames() {
    if (schemaPending_)
        return {};
    return rows_.RootNames();
}

std::uint64_t cls_Database::IdentityOfRow(std::uint64_t row, std::uint32_t classId,
                                          std::uint64_t storedUid) {
    return cls_Identities::Instance().IdentityOfRow(fileSlot_, row, classId, storedUid);
}

void cls_Database::CheckUnchanged() const {
    if (!schemaPending_ && sql_.DataVersion() != baseline_)
        Fail("changed by another writer since it was opened; objects read from it now could "
             "mix two states: reopen it");
}

// ---- failures ----------------------------------------------------------------------------

void cls_Database::KeepFailure(const std::string& problem) { keptFailures_.push_back(problem); }

void cls_Database::ThrowKeptFailure() {
    if (keptFailures_.empty())
        return;
    std::string message = "an earlier write failed where it could not be reported: ";
    for (std::size_t i = 0; i < keptFailures_.size(); ++i)
        message += (i ? "; " : "") + keptFailures_[i];
    keptFailures_.clear();
    Fail(message);
}
