#include "cls_RowStore.h"

#include "cls_ClassMetadata.h"
#include "cls_IntListCodec.h"
#include "cls_SqliteBlob.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"

#include <algorithm>
#include <deque>
#include <climits>
#include <cstring>

namespace {

// Lists and strings up to this size come with the rows read ahead; longer ones are read on
// their own, straight into their destination.
constexpr int kInlineBytes = 1 << 16;
constexpr int kMaxReadAhead = 256;
// Int lists up to this many ids are bound in one piece; longer ones go in pieces of kChunkIds,
// which must fit the page cache (31 pages of 64 KiB).
constexpr int kBoundIds = 1 << 14;
constexpr int kChunkIds = 1 << 18;
// The pieces after the first of list L are the rows L << kPieceBits | 1, 2, ... of
// cls_intchunk: the rowid finds them without an index, and 2^31 ids need 2^13 pieces.
constexpr int kPieceBits = 14;

std::int64_t pieceRow(std::int64_t list, int piece) { return list << kPieceBits | piece; }

// Rows of one table read ahead: the last few batches, each sorted by key. Keeping several
// serves readers that walk a table in two or more interleaved ascending runs (the type rows of
// sets and of their subsets, say) without reading either run again.
template <class Row>
class ReadAhead {
public:
    const Row* Find(std::uint64_t oid) const {
        for (const std::vector<Row>& batch : batches_) {
            auto it = std::lower_bound(batch.begin(), batch.end(), oid,
                                       [](const Row& r, std::uint64_t k) { return r.oid < k; });
            if (it != batch.end() && it->oid == oid)
                return &*it;
        }
        return nullptr;
    }
    // How many rows to ask for from `oid` on: one for a lone read, more while reads stay close
    // to one another.
    int Limit(std::uint64_t oid) {
        const bool close = lastAsked_ != 0 && oid + 4096 > lastAsked_ && oid < lastAsked_ + 4096;
        size_ = close ? std::min(size_ * 4, kMaxReadAhead) : 1;
        lastAsked_ = oid;
        return size_;
    }
    // A new, empty batch to fill; the oldest is dropped.
    std::vector<Row>& Rows() {
        if (batches_.size() == kBatches)
            batches_.pop_back();
        batches_.emplace_front();
        return batches_.front();
    }
    void Clear() {
        batches_.clear();
        lastAsked_ = 0;
        size_ = 1;
    }

private:
    static constexpr std::size_t kBatches = 4;
    std::deque<std::vector<Row>> batches_;
    std::uint64_t lastAsked_ = 0;
    int size_ = 1;
};

// The rows of one statement: their values in one allocation, the rows pointing into it.
struct ObjectBatch {
    std::vector<cls_StoredRow::Value> values;
    std::vector<cls_StoredRow> rows;
};
struct ObjectRowAhead {
    std::uint64_t oid;
    std::shared_ptr<const cls_StoredRow> row; // shares the ownership of its batch
};
struct BlobRowAhead {
    std::uint64_t oid;
    std::uint64_t uid;
    std::int64_t bytes;
    bool inline_; // `data` holds the bytes
    std::string data;
    std::int64_t count; // int lists: the ids in all pieces
};
struct CollectionRowAhead {
    std::uint64_t oid;
    std::uint64_t uid;
    int kind;
};
// The entries of one stored map.
struct MapRowAhead {
    std::uint64_t oid;
    std::vector<cls_RowStore::Entry> entries;
};

cls_StoredRow::Value valueOf(const cls_SqliteStatement& s, int c) {
    switch (s.KindOf(c)) {
    case cls_SqliteStatement::Kind::Integer: return s.Int(c);
    case cls_SqliteStatement::Kind::Real: return s.Real(c);
    case cls_SqliteStatement::Kind::Text: return cow_String(s.Text(c));
    case cls_SqliteStatement::Kind::Blob: return cls_StoredRow::Blob{};
    case cls_SqliteStatement::Kind::Null: break;
    }
    return cls_StoredRow::Null{};
}

std::string missing(const char* what, std::uint64_t oid) {
    return std::string("damaged: ") + what + " " + std::to_string(oid) + " is missing";
}

} // namespace

struct cls_RowStore::Caches {
    std::unordered_map<std::uint32_t, ReadAhead<ObjectRowAhead>> objects;
    ReadAhead<BlobRowAhead> intLists;
    ReadAhead<BlobRowAhead> stringLists;
    ReadAhead<CollectionRowAhead> collections;
    ReadAhead<MapRowAhead> maps;
};

cls_RowStore::cls_RowStore(cls_SqliteConnection& sql, cls_Catalog& catalog)
    : sql_(sql), catalog_(catalog), caches_(std::make_unique<Caches>()) {}

cls_RowStore::~cls_RowStore() = default;

// ---- writing ---------------------------------------------------------------------------------

void cls_RowStore::PutObject(const cls_Catalog::WriteTable& table, std::uint64_t oid,
                             std::uint64_t uid, const std::vector<cls_MementoWrite::Value>& values,
                             const RowOfUid& rowOf) {
    cls_SqliteStatement& s = sql_.Cached(table.insertSql);
    s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, static_cast<std::int64_t>(uid));
    int position = 3;
    for (const auto& column : table.metadata->Columns()) {
        const cls_MementoWrite::Value& v = values[column.attribute];
        if (const auto* ref = std::get_if<cls_MementoWrite::Ref>(&v)) {
            if (column.refersToClass)
                s.Bind(position, std::int64_t{ref->classId});
            else
                s.Bind(position, static_cast<std::int64_t>(rowOf(ref->uid, ref->classId)));
        } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
            s.Bind(position, *i);
        } else if (const auto* t = std::get_if<cow_String>(&v)) {
            s.Bind(position, t->view());
        } else {
            s.BindNull(position);
        }
        ++position;
    }
    s.Run();
    ++rowsWritten_;
}

// A short list is bound in one piece. A long one is cut into pieces of 1 MiB: the list's row
// holds the first, rows of cls_intchunk the others. Each piece is inserted zero-filled and then
// filled in place; as a piece fits the page cache, its pages reach the file once, already
// filled, and the list is never copied whole.
void cls_RowStore::PutIntList(std::uint64_t oid, std::uint64_t uid, const cow_1DArrayList<int>& ids,
                              bool existed) {
    const auto row = static_cast<std::int64_t>(oid);
    if (existed)
        sql_.Cached("DELETE FROM cls_intchunk WHERE id > ? AND id < ?")
            .Bind(1, pieceRow(row, 0))
            .Bind(2, pieceRow(row + 1, 0))
            .Run();
    const int count = ids.Count();
    // A new row needs no conflict handling, and so no statement journal.
    cls_SqliteStatement& s = sql_.Cached(
        existed ? "INSERT OR REPLACE INTO cls_intlist (oid, \"#uid\", count, ids) VALUES (?, ?, ?, ?)"
                : "INSERT INTO cls_intlist (oid, \"#uid\", count, ids) VALUES (?, ?, ?, ?)");
    s.Bind(1, row).Bind(2, static_cast<std::int64_t>(uid)).Bind(3, std::int64_t{count});
    ++rowsWritten_;
    if (count <= kBoundIds) {
        stage_.resize(static_cast<std::size_t>(count));
        int at = 0;
        cls_IntListCodec::Encode(
            ids,
            [&](const void* bytes, int size, int) {
                std::memcpy(stage_.data() + at, bytes, static_cast<std::size_t>(size));
                at += size / 4;
            },
            scratch_);
        s.BindBlob(4, stage_.data(), static_cast<std::size_t>(count) * 4).Run();
        return;
    }
    s.BindZeroBlob(4, std::int64_t{std::min(count, kChunkIds)} * 4).Run();
    cls_SqliteBlob blob(sql_, "cls_intlist", "ids", row, cls_SqliteBlob::Access::Write,
                        "writing int list " + std::to_string(oid));
    cls_SqliteBlob* current = &blob;
    std::unique_ptr<cls_SqliteBlob> chunks;
    int chunk = 0; // the piece `current` writes
    cls_SqliteStatement& addChunk =
        sql_.Cached("INSERT INTO cls_intchunk (id, ids) VALUES (?, zeroblob(?))");
    auto toChunk = [&](int wanted) {
        while (chunk < wanted) {
            ++chunk;
            const int first = chunk * kChunkIds;
            const std::int64_t id = pieceRow(row, chunk);
            addChunk.Bind(1, id);
            addChunk.Bind(2, std::int64_t{std::min(count - first, kChunkIds)} * 4).Run();
            if (!chunks)
                chunks = std::make_unique<cls_SqliteBlob>(sql_, "cls_intchunk", "ids", id,
                                                          cls_SqliteBlob::Access::Write,
                                                          "writing int list " + std::to_string(oid));
            else
                chunks->Reopen(id);
            current = chunks.get();
        }
    };
    cls_IntListCodec::Encode(
        ids,
        [&](const void* bytes, int size, int offset) {
            const auto* from = static_cast<const char*>(bytes);
            constexpr int kChunkBytes = kChunkIds * 4;
            while (size > 0) {
                toChunk(offset / kChunkBytes);
                const int inChunk = offset % kChunkBytes;
                const int piece = std::min(size, kChunkBytes - inChunk);
                current->Write(from, piece, inChunk);
                from += piece;
                offset += piece;
                size -= piece;
            }
        },
        scratch_);
}

void cls_RowStore::PutStringList(std::uint64_t oid, std::uint64_t uid,
                                 const std::vector<cow_String>& texts) {
    std::string packed;
    for (const cow_String& t : texts) {
        const auto n = static_cast<std::uint32_t>(t.size());
        packed.append(reinterpret_cast<const char*>(&n), 4);
        packed.append(t.view());
    }
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_strlist (oid, \"#uid\", texts) VALUES (?, ?, ?)");
    s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, static_cast<std::int64_t>(uid));
    s.BindBlob(3, packed.data(), packed.size()).Run();
    ++rowsWritten_;
}

void cls_RowStore::PutCollection(std::uint64_t oid, std::uint64_t uid, int kind) {
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_collection (oid, \"#uid\", kind) VALUES (?, ?, ?)");
    s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, static_cast<std::int64_t>(uid));
    s.Bind(3, std::int64_t{kind}).Run();
    ++rowsWritten_;
}

void cls_RowStore::RestartList(std::uint64_t oid) {
    sql_.Cached("DELETE FROM cls_objlist WHERE oid = ?").Bind(1, static_cast<std::int64_t>(oid)).Run();
}

void cls_RowStore::PutListElement(std::uint64_t list, int position, Reference element) {
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_objlist (oid, pos, elemOid, elemClassId) VALUES (?, ?, ?, ?)");
    s.Bind(1, static_cast<std::int64_t>(list)).Bind(2, std::int64_t{position});
    s.Bind(3, static_cast<std::int64_t>(element.oid)).Bind(4, std::int64_t{element.classId}).Run();
    ++rowsWritten_;
}

void cls_RowStore::PutMapEntry(std::uint64_t map, int key, Reference element) {
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_map (oid, key, elemOid, elemClassId) VALUES (?, ?, ?, ?)");
    s.Bind(1, static_cast<std::int64_t>(map)).Bind(2, std::int64_t{key});
    s.Bind(3, static_cast<std::int64_t>(element.oid)).Bind(4, std::int64_t{element.classId}).Run();
    ++rowsWritten_;
}

void cls_RowStore::RemoveMapEntry(std::uint64_t map, int key) {
    sql_.Cached("DELETE FROM cls_map WHERE oid = ? AND key = ?")
        .Bind(1, static_cast<std::int64_t>(map))
        .Bind(2, std::int64_t{key})
        .Run();
}

bool cls_RowStore::PutRoot(const std::string& name, const Root& root) {
    const bool existed = FindRoot(name).has_value();
    cls_SqliteStatement& s = sql_.Cached(
        "INSERT OR REPLACE INTO cls_roots (name, oid, classId, collection) VALUES (?, ?, ?, ?)");
    s.Bind(1, name).Bind(2, static_cast<std::int64_t>(root.oid));
    s.Bind(3, std::int64_t{root.classId}).Bind(4, std::int64_t{root.collection}).Run();
    return existed;
}

// ---- reading ---------------------------------------------------------------------------------

std::optional<cls_RowStore::Root> cls_RowStore::FindRoot(const std::string& name) {
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

std::vector<std::string> cls_RowStore::RootNames() {
    cls_SqliteStatement& s = sql_.Cached("SELECT name FROM cls_roots ORDER BY name");
    std::vector<std::string> names;
    while (s.Step())
        names.emplace_back(s.Text(0));
    s.Reset();
    return names;
}

std::shared_ptr<const cls_StoredRow> cls_RowStore::ObjectRow(std::uint32_t classId,
                                                             const std::string& className,
                                                             std::uint64_t oid) {
    ReadAhead<ObjectRowAhead>& ahead = caches_->objects[classId];
    if (const ObjectRowAhead* hit = ahead.Find(oid))
        return hit->row;
    const cls_Catalog::ReadTable& table = catalog_.ForReading(classId, className);
    cls_SqliteStatement& s = sql_.Cached(table.batchSql);
    const int limit = ahead.Limit(oid);
    s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, std::int64_t{limit});
    const std::size_t columns = table.columns.size();
    auto batch = std::make_shared<ObjectBatch>();
    batch->values.reserve(columns * static_cast<std::size_t>(limit));
    while (s.Step()) {
        for (std::size_t c = 0; c < columns; ++c)
            batch->values.push_back(valueOf(s, static_cast<int>(c)));
        batch->rows.push_back({static_cast<std::uint64_t>(s.Int(0)),
                               static_cast<std::uint64_t>(s.Int(1)), &table, nullptr});
    }
    s.Reset();
    std::vector<ObjectRowAhead>& rows = ahead.Rows();
    rows.reserve(batch->rows.size());
    for (std::size_t r = 0; r < batch->rows.size(); ++r) {
        cls_StoredRow& row = batch->rows[r];
        row.values = batch->values.data() + r * columns;
        rows.push_back({row.oid, std::shared_ptr<const cls_StoredRow>(batch, &row)});
    }
    if (rows.empty() || rows.front().oid != oid)
        sql_.FailWith("damaged: object " + std::to_string(oid) + " of class '" + className +
                      "' is missing");
    return rows.front().row;
}

namespace {
// Fills `ahead` from a statement selecting oid, #uid, the value's length and the value itself
// when it is short.
void readBlobsAhead(cls_SqliteStatement& s, ReadAhead<BlobRowAhead>& ahead) {
    std::vector<BlobRowAhead>& rows = ahead.Rows();
    while (s.Step()) {
        BlobRowAhead r{static_cast<std::uint64_t>(s.Int(0)), static_cast<std::uint64_t>(s.Int(1)),
                       s.Int(2), false, {}, s.ColumnCount() > 4 ? s.Int(4) : 0};
        if (s.KindOf(3) == cls_SqliteStatement::Kind::Blob) {
            r.inline_ = true;
            r.data.assign(static_cast<const char*>(s.Blob(3)), static_cast<std::size_t>(s.Bytes(3)));
        } else if (r.bytes == 0) {
            r.inline_ = true;
        }
        rows.push_back(std::move(r));
    }
    s.Reset();
}
} // namespace

cls_RowStore::Stored<cow_1DArrayList<int>> cls_RowStore::IntList(std::uint64_t oid) {
    ReadAhead<BlobRowAhead>& ahead = caches_->intLists;
    const BlobRowAhead* row = ahead.Find(oid);
    if (!row) {
        cls_SqliteStatement& s = sql_.Cached(
            "SELECT oid, \"#uid\", length(ids), CASE WHEN length(ids) <= " +
            std::to_string(kInlineBytes) +
            " THEN ids END, count FROM cls_intlist WHERE oid >= ?1 ORDER BY oid LIMIT ?2");
        s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, std::int64_t{ahead.Limit(oid)});
        readBlobsAhead(s, ahead);
        row = ahead.Find(oid);
        if (!row)
            sql_.FailWith(missing("int list", oid));
    }
    const std::string damaged = "damaged: int list " + std::to_string(oid);
    if (row->count < 0 || row->count > INT_MAX / 4 || row->bytes % 4 != 0 ||
        row->bytes > row->count * 4 ||
        (row->inline_ && static_cast<std::int64_t>(row->data.size()) != row->bytes))
        sql_.FailWith(damaged + " holds " + std::to_string(row->bytes) + " bytes for " +
                      std::to_string(row->count) + " ids");
    const int count = static_cast<int>(row->count);
    const std::uint64_t uid = row->uid;
    if (row->inline_ && row->bytes == row->count * 4) {
        const char* bytes = row->data.data();
        return {uid, cls_IntListCodec::Decode(count, [bytes](void* into, int size, int offset) {
                    std::memcpy(into, bytes + offset, static_cast<std::size_t>(size));
                })};
    }
    // The pieces: the list's own row, then its chunks in order.
    struct Piece {
        const char* table;
        std::int64_t rowid;
        std::int64_t bytes;
    };
    std::vector<Piece> pieces{{"cls_intlist", static_cast<std::int64_t>(oid), row->bytes}};
    std::int64_t total = row->bytes;
    cls_SqliteStatement& s = sql_.Cached(
        "SELECT id, length(ids) FROM cls_intchunk WHERE id > ? AND id < ? ORDER BY id");
    s.Bind(1, pieceRow(static_cast<std::int64_t>(oid), 0));
    s.Bind(2, pieceRow(static_cast<std::int64_t>(oid) + 1, 0));
    while (s.Step()) {
        pieces.push_back({"cls_intchunk", s.Int(0), s.Int(1)});
        total += s.Int(1);
    }
    s.Reset();
    if (total != row->count * 4)
        sql_.FailWith(damaged + " holds " + std::to_string(total) + " bytes for " +
                      std::to_string(row->count) + " ids");
    std::unique_ptr<cls_SqliteBlob> blobs[2]; // one for each table
    std::size_t piece = 0, opened = pieces.size();
    std::int64_t pieceStart = 0;
    auto read = [&](void* into, int size, int offset) {
        char* to = static_cast<char*>(into);
        while (size > 0) {
            while (offset >= pieceStart + pieces[piece].bytes)
                pieceStart += pieces[piece++].bytes;
            const Piece& p = pieces[piece];
            std::unique_ptr<cls_SqliteBlob>& blob = blobs[piece == 0 ? 0 : 1];
            if (opened != piece) {
                opened = piece;
                if (!blob)
                    blob = std::make_unique<cls_SqliteBlob>(sql_, p.table, "ids", p.rowid,
                                                            cls_SqliteBlob::Access::Read,
                                                            "reading int list " + std::to_string(oid));
                else
                    blob->Reopen(p.rowid);
                if (blob->Bytes() != p.bytes)
                    sql_.FailWith(damaged + " changed while read");
            }
            const int at = static_cast<int>(offset - pieceStart);
            const int n = static_cast<int>(std::min<std::int64_t>(size, p.bytes - at));
            blob->Read(to, n, at);
            to += n;
            offset += n;
            size -= n;
        }
    };
    return {uid, cls_IntListCodec::Decode(count, read)};
}

cls_RowStore::Stored<std::vector<cow_String>> cls_RowStore::StringList(std::uint64_t oid) {
    ReadAhead<BlobRowAhead>& ahead = caches_->stringLists;
    const BlobRowAhead* row = ahead.Find(oid);
    if (!row) {
        cls_SqliteStatement& s = sql_.Cached(
            "SELECT oid, \"#uid\", length(texts), CASE WHEN length(texts) <= " +
            std::to_string(kInlineBytes) +
            " THEN texts END FROM cls_strlist WHERE oid >= ?1 ORDER BY oid LIMIT ?2");
        s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, std::int64_t{ahead.Limit(oid)});
        readBlobsAhead(s, ahead);
        row = ahead.Find(oid);
        if (!row)
            sql_.FailWith(missing("string list", oid));
    }
    std::string packed;
    if (row->inline_) {
        packed = row->data;
    } else {
        cls_SqliteStatement& s = sql_.Cached("SELECT texts FROM cls_strlist WHERE oid = ?");
        s.Bind(1, static_cast<std::int64_t>(oid));
        if (s.Step() && s.KindOf(0) == cls_SqliteStatement::Kind::Blob)
            packed.assign(static_cast<const char*>(s.Blob(0)), static_cast<std::size_t>(s.Bytes(0)));
        s.Reset();
    }
    std::vector<cow_String> texts;
    for (std::size_t at = 0; at < packed.size();) {
        std::uint32_t n = 0;
        if (packed.size() - at < 4 || (std::memcpy(&n, packed.data() + at, 4), packed.size() - at - 4 < n))
            sql_.FailWith("damaged: string list " + std::to_string(oid) + " is cut short");
        texts.emplace_back(std::string_view(packed.data() + at + 4, n));
        at += 4 + n;
    }
    return {row->uid, std::move(texts)};
}

cls_RowStore::Stored<int> cls_RowStore::Collection(std::uint64_t oid) {
    ReadAhead<CollectionRowAhead>& ahead = caches_->collections;
    if (const CollectionRowAhead* hit = ahead.Find(oid))
        return {hit->uid, hit->kind};
    cls_SqliteStatement& s = sql_.Cached(
        "SELECT oid, \"#uid\", kind FROM cls_collection WHERE oid >= ?1 ORDER BY oid LIMIT ?2");
    s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, std::int64_t{ahead.Limit(oid)});
    std::vector<CollectionRowAhead>& rows = ahead.Rows();
    while (s.Step())
        rows.push_back({static_cast<std::uint64_t>(s.Int(0)), static_cast<std::uint64_t>(s.Int(1)),
                        static_cast<int>(s.Int(2))});
    s.Reset();
    const CollectionRowAhead* hit = ahead.Find(oid);
    if (!hit)
        sql_.FailWith(missing("collection", oid));
    return {hit->uid, hit->kind};
}

std::vector<cls_RowStore::Reference> cls_RowStore::ListElements(std::uint64_t list) {
    cls_SqliteStatement& s = sql_.Cached(
        "SELECT elemOid, elemClassId FROM cls_objlist WHERE oid = ? ORDER BY pos");
    s.Bind(1, static_cast<std::int64_t>(list));
    std::vector<Reference> elements;
    while (s.Step())
        elements.push_back(
            {static_cast<std::uint64_t>(s.Int(0)), static_cast<std::uint32_t>(s.Int(1))});
    s.Reset();
    return elements;
}

// The entries of the maps from `map` on, as many maps as the read-ahead asks for (a map with
// many entries counts for one per 64 of them); the last map read may be cut short by the
// limit, and is then left out unless it is the one asked for.
std::vector<cls_RowStore::Entry> cls_RowStore::MapEntries(std::uint64_t map) {
    ReadAhead<MapRowAhead>& ahead = caches_->maps;
    if (const MapRowAhead* hit = ahead.Find(map))
        return hit->entries;
    constexpr int kEntriesPerMap = 64;
    cls_SqliteStatement& s = sql_.Cached(
        "SELECT oid, key, elemOid, elemClassId FROM cls_map WHERE oid >= ?1 ORDER BY oid, key "
        "LIMIT ?2");
    const std::int64_t limit = std::int64_t{ahead.Limit(map)} * kEntriesPerMap;
    s.Bind(1, static_cast<std::int64_t>(map)).Bind(2, limit);
    std::vector<MapRowAhead>& rows = ahead.Rows();
    std::int64_t read = 0;
    while (s.Step()) {
        ++read;
        const auto oid = static_cast<std::uint64_t>(s.Int(0));
        if (rows.empty() || rows.back().oid != oid)
            rows.push_back({oid, {}});
        const std::int64_t key = s.Int(1), classId = s.Int(3);
        if (key < INT_MIN || key > INT_MAX || classId < 0 || classId > UINT32_MAX)
            sql_.FailWith("damaged: an entry of stored map " + std::to_string(oid) +
                          " holds key " + std::to_string(key) + " and class id " +
                          std::to_string(classId));
        rows.back().entries.push_back({static_cast<int>(key),
                                       {static_cast<std::uint64_t>(s.Int(2)),
                                        static_cast<std::uint32_t>(classId)}});
    }
    s.Reset();
    if (read == limit && !rows.empty() && rows.back().oid != map)
        rows.pop_back(); // possibly cut short
    if (!rows.empty() && rows.front().oid == map && !(read == limit && rows.size() == 1))
        return rows.front().entries;
    // The map asked for had more entries than the limit, or none: read it alone, counted first
    // so that its entries are one allocation (a large map's would otherwise be copied as the
    // vector grows).
    cls_SqliteStatement& count = sql_.Cached("SELECT count(*) FROM cls_map WHERE oid = ?");
    count.Bind(1, static_cast<std::int64_t>(map));
    const std::int64_t n = count.Step() ? count.Int(0) : 0;
    count.Reset();
    cls_SqliteStatement& one = sql_.Cached(
        "SELECT key, elemOid, elemClassId FROM cls_map WHERE oid = ? ORDER BY key");
    one.Bind(1, static_cast<std::int64_t>(map));
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)));
    while (one.Step()) {
        const std::int64_t key = one.Int(0), classId = one.Int(2);
        if (key < INT_MIN || key > INT_MAX || classId < 0 || classId > UINT32_MAX)
            sql_.FailWith("damaged: an entry of stored map " + std::to_string(map) +
                          " holds key " + std::to_string(key) + " and class id " +
                          std::to_string(classId));
        entries.push_back({static_cast<int>(key),
                           {static_cast<std::uint64_t>(one.Int(1)),
                            static_cast<std::uint32_t>(classId)}});
    }
    one.Reset();
    return entries;
}

void cls_RowStore::ForgetReads() {
    caches_->objects.clear();
    caches_->intLists.Clear();
    caches_->stringLists.Clear();
    caches_->collections.Clear();
    caches_->maps.Clear();
}
