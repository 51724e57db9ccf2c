// A write transaction: begun on construction, rolled back unless committed.
#pragma once

class cls_SqliteConnection;

class cls_SqliteTransaction {
public:
    explicit cls_SqliteTransaction(cls_SqliteConnection& connection);
    ~cls_SqliteTransaction();
    cls_SqliteTransaction(const cls_SqliteTransaction&) = delete;
    cls_SqliteTransaction& operator=(const cls_SqliteTransaction&) = delete;

    void Commit();
    bool IsOpen() const { return open_; }

private:
    cls_SqliteConnection& connection_;
    bool open_ = true;
};
