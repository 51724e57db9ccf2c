// The process's record of where its objects are stored: for every identity written to a model
// database file or read from one, the row it has there.
//
// Rows are allocated by the file, so two objects never share a row; this record keeps the
// other half of the promise, that two objects of the process never share an identity. An
// object read from a file takes its stored identity unless another object of the process may
// hold it (an identity of this process's own prefix that it did not store in that row, or an
// identity already taken from another row), in which case it gets a fresh identity, kept for
// the row so that reading it again agrees.
//
// Kept per file (a table of rows by identity), with one process-wide set of the identities of
// other processes taken on, so that two files cannot give the process one identity twice.
// Process-wide and thread-safe; each call takes one lock. Entries stay for the process's life:
// an object may outlive the database it came from and be stored again.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

class cls_Identities {
public:
    struct Assignment {
        std::uint64_t uid;
        std::uint64_t row;
        std::uint32_t classId;
    };

    // Allocated by the first call and never destroyed; later calls O(1).
    static cls_Identities& Instance();

    // A small number standing for the file whose stored id is `fileId` (files copied from one
    // another share it, and their rows with it). A hash lookup; a new file id allocates its
    // tables.
    std::uint32_t FileSlot(std::uint64_t fileId);

    // The row in which the object `uid` of class `classId` is stored in the file, or 0 when
    // this process never stored or read it there as that class. A hash lookup, O(1); no
    // allocation.
    std::uint64_t RowOf(std::uint32_t file, std::uint64_t uid, std::uint32_t classId) const;

    // RowOf for many identities under one lock: rows[i] for (uids[i], classIds[i]). O(n); `rows`
    // is resized to n.
    void RowsOf(std::uint32_t file, const std::vector<std::uint64_t>& uids,
                const std::vector<std::uint32_t>& classIds, std::vector<std::uint64_t>& rows) const;

    // The identity of the object read from `row` (class `classId`, stored identity `storedUid`).
    // A few hash lookups, O(1); a new identity adds table entries (which may allocate).
    std::uint64_t IdentityOfRow(std::uint32_t file, std::uint64_t row, std::uint32_t classId,
                                std::uint64_t storedUid);

    // Rows that a committed write gave to identities. O(n), room reserved once.
    void Record(std::uint32_t file, const std::vector<Assignment>& assignments);

private:
    cls_Identities();
    ~cls_Identities();
    struct Tables;

    mutable std::mutex mutex_;
    Tables* tables_;
};
