// A container of named model objects that it does not own, such as the open model databases
// of a thread (keyed by database name).
#pragma once

#include <map>
#include <vector>

template <class K, class V>
class mdl_Container {
public:
    // False when the key is taken already.
    bool Insert(const K& key, V* value) { return entries_.emplace(key, value).second; }
    bool Remove(const K& key) { return entries_.erase(key) > 0; }

    const V* Find(const K& key) const {
        auto it = entries_.find(key);
        return it == entries_.end() ? nullptr : it->second;
    }
    V* Find(const K& key) {
        auto it = entries_.find(key);
        return it == entries_.end() ? nullptr : it->second;
    }
    int Count() const { return static_cast<int>(entries_.size()); }
    std::vector<K> Keys() const {
        std::vector<K> keys;
        for (const auto& [k, v] : entries_)
            keys.push_back(k);
        return keys;
    }

private:
    std::map<K, V*> entries_;
};
