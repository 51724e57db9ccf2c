// An ordered map with shared storage: copies share one body until either side writes.
//
// Used for small tables handed out by value, such as the permissible names of an enumeration.
#pragma once

#include <map>
#include <memory>

template <class K, class V>
class cow_Map {
public:
    using Body = std::map<K, V>;

    cow_Map() = default;

    // Inserts or replaces; may copy the body if it is shared.
    void Insert(const K& key, const V& value) { writable()[key] = value; }
    bool Remove(const K& key) { return body_ && writable().erase(key) > 0; }

    const V* Find(const K& key) const {
        if (!body_)
            return nullptr;
        auto it = body_->find(key);
        return it == body_->end() ? nullptr : &it->second;
    }
    bool IsMember(const K& key) const { return Find(key) != nullptr; }
    int Count() const { return body_ ? static_cast<int>(body_->size()) : 0; }

    // Read-only view of the entries in key order.
    const Body& Entries() const {
        static const Body empty;
        return body_ ? *body_ : empty;
    }

    friend bool operator==(const cow_Map& a, const cow_Map& b) { return a.Entries() == b.Entries(); }

private:
    Body& writable() {
        if (!body_)
            body_ = std::make_shared<Body>();
        else if (body_.use_count() != 1)
            body_ = std::make_shared<Body>(*body_);
        return *body_;
    }

    std::shared_ptr<Body> body_;
};
