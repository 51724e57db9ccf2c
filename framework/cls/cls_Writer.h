// One write into a model database, committed as a single transaction.
//
// Objects are collected as records while they write themselves (cls_WriteVisitor) and stored
// when the write commits; an object met a second time in the same write (same uid) is stored
// once and referred to from every owner. A writer destroyed without Commit rolls back and
// leaves the file as it was.
#pragma once

#include "cls_Database.h"
#include "cls_MementoWrite.h"

#include <deque>
#include <memory>
#include <vector>

class cls_AgentMapKey2ObjBase;

class cls_Writer {
public:
    // Begins the transaction; a database opened read-only refuses.
    explicit cls_Writer(std::shared_ptr<cls_Database> database);
    ~cls_Writer();
    cls_Writer(const cls_Writer&) = delete;
    cls_Writer& operator=(const cls_Writer&) = delete;

    cls_Database& Database() { return *database_; }
    const std::shared_ptr<cls_Database>& DatabasePtr() { return database_; }

    // True the first time an object is met in this write; `oid` is never 0.
    bool FirstTime(std::uint64_t oid) { return written_.Insert(oid); }
    cls_MementoWrite& NewRecord(const cls_ClassMetadata* metadata, std::uint32_t classId,
                                std::uint64_t oid, int collection);

    // Agents of stored maps that wrote into this write hear whether it committed.
    void TrackAgent(cls_AgentMapKey2ObjBase* agent);
    void UntrackAgent(cls_AgentMapKey2ObjBase* agent);

    // Stores the records and commits.
    void Commit();
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

    std::shared_ptr<cls_Database> database_;
    std::unique_ptr<class cls_SqliteTransaction> transaction_;
    UidSet written_;
    std::deque<cls_MementoWrite> records_;
    std::vector<cls_AgentMapKey2ObjBase*> agents_;
    bool committed_ = false;
};
