// One read from a model database. Objects that were shared when stored (one uid referred to
// from several places) are built once per read and handed out shared again.
#pragma once


#include <map>
#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

class cls_Database;

class cls_Reader {
public:
    // Shares the database (moved in): O(1), no query.
    explicit cls_Reader(std::shared_ptr<cls_Database> database) : database_(std::move(database)) {}

    // No copy, O(1).
    cls_Database& Database() { return *database_; }
    const std::shared_ptr<cls_Database>& DatabasePtr() { return database_; }

    // A holder of type `kind` already built in this read for `oid`, or null: a map lookup,
    // O(log objects shared in this read). KeepShared adds a node (allocates).
    void* Shared(std::uint64_t oid, std::type_index kind) const {
        auto it = shared_.find({oid, kind});
        return it == shared_.end() ? nullptr : it->second.get();
    }
    void KeepShared(std::uint64_t oid, std::type_index kind, std::shared_ptr<void> holder) {
        shared_[{oid, kind}] = std::move(holder);
    }

    // The objects being built in this read, outermost first. A record that refers back to
    // one of them (only a damaged file holds one) would be built forever, and a chain of
    // references deeper than any stored object graph would exhaust the stack.
    static constexpr std::size_t kMaxNesting = 200;
    // No copy, O(1) (Enter amortised).
    const std::vector<std::uint64_t>& Building() const { return building_; }
    void Enter(std::uint64_t oid) { building_.push_back(oid); }
    void Leave() { building_.pop_back(); }

private:
    std::shared_ptr<cls_Database> database_;
    std::map<std::pair<std::uint64_t, std::type_index>, std::shared_ptr<void>> shared_;
    std::vector<std::uint64_t> building_;
};
