// One write into a model database, committed as a single transaction.
//
// Objects are queued as records while they write themselves (cls_WriteVisitor), together with
// the roots, map entries and list elements of the write; nothing reaches the file before
// Commit. An object met a second time in the same write (same identity) is stored once and
// referred to from every owner. A writer destroyed without a successful Commit leaves the file
// as it was, and its listeners hear that it rolled back.
#pragma once

#include "cls_Database.h"
#include "cls_MementoWrite.h"
#include "cls_WriteBatch.h"

#include <memory>
#include <string>
#include <vector>

class cls_WriteListener;

class cls_Writer {
public:
    // Refuses a database opened read-only, a database with a write in progress, and reports a
    // failure the database kept. O(1): no query, and the file is not locked before the commit.
    explicit cls_Writer(std::shared_ptr<cls_Database> database);
    // Without a commit: frees the queue and tells the listeners; no file access.
    ~cls_Writer();
    cls_Writer(const cls_Writer&) = delete;
    cls_Writer& operator=(const cls_Writer&) = delete;

    // No copy, O(1).
    cls_Database& Database() const { return *database_; }
    const std::shared_ptr<cls_Database>& DatabasePtr() const { return database_; }

    // True the first time an object is met in this write; `uid` is never 0. O(1) amortised: the
    // table doubles (reallocating) when half full.
    bool FirstTime(std::uint64_t uid) { return written_.Insert(uid); }
    // Appends a record to the queue, where it keeps its address; allocates a value per attribute.
    cls_MementoWrite& NewRecord(const cls_ClassMetadata* metadata, std::uint32_t classId,
                                std::uint64_t uid, int collection);

    // Queued with the records, O(1) amortised; nothing reaches the file before the commit.
    // `replaces`: the map held the key before.
    void PutMapEntry(std::uint64_t mapUid, int key, std::uint64_t elementUid,
                     std::uint32_t elementClassId, bool replaces);
    void RemoveMapEntry(std::uint64_t mapUid, int key);
    void RestartList(std::uint64_t listUid);
    void PutListElement(std::uint64_t listUid, int position, std::uint64_t elementUid,
                        std::uint32_t elementClassId);
    // The last call for a name wins: O(roots in this write).
    void SetRoot(const std::string& name, std::uint64_t uid, std::uint32_t classId, int collection);

    // Listeners hear once whether the write committed or rolled back; one may stop listening
    // (or be destroyed) while others hear it. A listener joins a write once. Listen is O(1)
    // amortised, StopListening O(listeners).
    void Listen(cls_WriteListener* listener);
    void StopListening(cls_WriteListener* listener);

    // Stores everything queued in one transaction; on failure the file is unchanged, the
    // listeners hear of the rollback and the exception passes on. One statement per queued row
    // and the commit's syncs (see cls_Database::Commit); frees the queue.
    void Commit();
    // O(1).
    bool Committed() const { return committed_; }

private:
    // The uids met in this write: open addressing over a power-of-two table, 0 (the null
    // identity) marking a free slot. A node-based set allocated a node per object and
    // rehashed its nodes as a large write grew.
    class UidSet {
    public:
        bool Insert(std::uint64_t uid);

    private:
        void grow();

        std::vector<std::uint64_t> slots_;
        std::size_t count_ = 0;
    };

    void tellRolledBack();

    std::shared_ptr<cls_Database> database_;
    UidSet written_;
    cls_WriteBatch batch_;
    std::vector<cls_WriteListener*> listeners_;
    bool committed_ = false;
    bool ended_ = false;
};
