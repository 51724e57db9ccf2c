// One read from a model database. Objects that were shared when stored (one uid referred to
// from several places) are built once per read and handed out shared again.
#pragma once

#include "cls_Database.h"

#include <map>
#include <memory>
#include <typeindex>
#include <utility>

class cls_Reader {
public:
    explicit cls_Reader(std::shared_ptr<cls_Database> database) : database_(std::move(database)) {}

    cls_Database& Database() { return *database_; }
    const std::shared_ptr<cls_Database>& DatabasePtr() { return database_; }

    // A holder of type `kind` already built in this read for `oid`, or null.
    void* Shared(std::uint64_t oid, std::type_index kind) const {
        auto it = shared_.find({oid, kind});
        return it == shared_.end() ? nullptr : it->second.get();
    }
    void KeepShared(std::uint64_t oid, std::type_index kind, std::shared_ptr<void> holder) {
        shared_[{oid, kind}] = std::move(holder);
    }

private:
    std::shared_ptr<cls_Database> database_;
    std::map<std::pair<std::uint64_t, std::type_index>, std::shared_ptr<void>> shared_;
};
