// A write transaction: begun on construction, rolled back unless committed.
#pragma once

class cls_SqliteConnection;

class cls_SqliteTransaction {
public:
    // BEGIN IMMEDIATE: takes the file's write lock at once (waiting up to the busy timeout while
    // another connection holds it).
    explicit cls_SqliteTransaction(cls_SqliteConnection& connection);
    // Unless committed, rolls back: the changed pages are dropped or restored from the journal.
    ~cls_SqliteTransaction();
    cls_SqliteTransaction(const cls_SqliteTransaction&) = delete;
    cls_SqliteTransaction& operator=(const cls_SqliteTransaction&) = delete;

    // COMMIT: writes the changed pages and syncs the journal and the file (a write's fsyncs), then
    // releases the lock.
    void Commit();
    // O(1).
    bool IsOpen() const { return open_; }

private:
    cls_SqliteConnection& connection_;
    bool open_ = true;
};
