// A hash table keyed by a signed integer (int, or a wider K such as a 64-bit object id), with
// no allocation per entry.
//
// Non-negative keys and negative keys live in two halves, each keyed by an unsigned value
// (the negative ones by magnitude). Each half is one open-addressing array of (key, value)
// slots with linear probing and Fibonacci hashing; an all-ones key marks a free slot, which
// no key of either half can be. Inserting a key that is already present keeps the first value.
//
//   omi_IntTable<int> t;
//   t.Insert(-4, 2);
//   if (const int* v = t.Find(-4)) ...
#pragma once

#include "mem_Alloc.h"

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

template <class V, class K = int>
class omi_IntTable {
    static_assert(std::is_trivially_copyable_v<V>, "omi_IntTable holds plain values only");
    static_assert(std::is_integral_v<K> && std::is_signed_v<K>, "omi_IntTable keys are signed");
    using Key = std::make_unsigned_t<K>; // a key of one half

public:
    omi_IntTable() = default;
    omi_IntTable(const omi_IntTable& other) : nonNegative_(other.nonNegative_), negative_(other.negative_) {}
    omi_IntTable& operator=(const omi_IntTable& other) {
        nonNegative_ = other.nonNegative_;
        negative_ = other.negative_;
        return *this;
    }
    ~omi_IntTable() = default;

    // Empties both halves and keeps their storage for the next fill.
    void Clear() {
        nonNegative_.Clear();
        negative_.Clear();
    }

    // Makes room for `n` more keys without regrowing (all of them in the larger half, as
    // the caller does not know the sign mix).
    void Reserve(int n) {
        nonNegative_.Reserve(nonNegative_.count + n);
        negative_.Reserve(negative_.count + n / 8);
    }

    // True if the key was new; false leaves the first value in place.
    bool Insert(K key, const V& value) {
        return key >= 0 ? nonNegative_.Insert(static_cast<Key>(key), value)
                        : negative_.Insert(magnitude(key), value);
    }

    // The stored value, or null when the key is absent.
    const V* Find(K key) const {
        return key >= 0 ? nonNegative_.Find(static_cast<Key>(key))
                        : negative_.Find(magnitude(key));
    }
    bool IsMember(K key) const { return Find(key) != nullptr; }

    int Count() const { return nonNegative_.count + negative_.count; }

private:
    static Key magnitude(K key) { return Key{0} - static_cast<Key>(key); }

    struct Slot {
        Key key;
        V value;
    };

    class Half {
    public:
        static constexpr Key kFree = static_cast<Key>(~Key{0});

        int count = 0;

        Half() = default;
        Half(const Half& other) { *this = other; }
        Half& operator=(const Half& other) {
            if (this == &other)
                return *this;
            release();
            if (other.capacity_) {
                slots_ = static_cast<Slot*>(mem_Malloc(sizeof(Slot) * other.capacity_));
                std::memcpy(slots_, other.slots_, sizeof(Slot) * other.capacity_);
            }
            capacity_ = other.capacity_;
            shift_ = other.shift_;
            count = other.count;
            return *this;
        }
        ~Half() { release(); }

        void Clear() {
            if (count == 0)
                return;
            markFree(slots_, capacity_);
            count = 0;
        }

        void Reserve(int n) {
            // Load factor at most one half: short probe runs matter more than memory here.
            std::uint32_t wanted = 16;
            while (wanted < 2u * static_cast<std::uint32_t>(n))
                wanted *= 2;
            if (wanted > capacity_)
                rehash(wanted);
        }

        bool Insert(Key key, const V& value) {
            if (2u * (static_cast<std::uint32_t>(count) + 1) > capacity_)
                rehash(capacity_ ? capacity_ * 2 : 16);
            const std::uint32_t mask = capacity_ - 1;
            for (std::uint32_t i = home(key);; i = (i + 1) & mask) {
                Slot& s = slots_[i];
                if (s.key == key)
                    return false;
                if (s.key == kFree) {
                    s.key = key;
                    s.value = value;
                    ++count;
                    return true;
                }
            }
        }

        const V* Find(Key key) const {
            if (count == 0)
                return nullptr;
            const std::uint32_t mask = capacity_ - 1;
            for (std::uint32_t i = home(key);; i = (i + 1) & mask) {
                const Slot& s = slots_[i];
                if (s.key == key)
                    return &s.value;
                if (s.key == kFree)
                    return nullptr;
            }
        }

    private:
        std::uint32_t home(Key key) const {
            return static_cast<std::uint32_t>((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull) >>
                                              shift_);
        }

        static void markFree(Slot* slots, std::uint32_t n) {
            for (std::uint32_t i = 0; i < n; ++i)
                slots[i].key = kFree;
        }

        void rehash(std::uint32_t newCapacity) {
            Slot* old = slots_;
            const std::uint32_t oldCapacity = capacity_;
            slots_ = static_cast<Slot*>(mem_Malloc(sizeof(Slot) * newCapacity));
            markFree(slots_, newCapacity);
            capacity_ = newCapacity;
            shift_ = 64 - static_cast<unsigned>(__builtin_ctz(newCapacity));
            const std::uint32_t mask = capacity_ - 1;
            for (std::uint32_t j = 0; j < oldCapacity; ++j) {
                if (old[j].key == kFree)
                    continue;
                std::uint32_t i = home(old[j].key);
                while (slots_[i].key != kFree)
                    i = (i + 1) & mask;
                slots_[i] = old[j];
            }
            mem_Free(old);
        }

        void release() {
            mem_Free(slots_);
            slots_ = nullptr;
            capacity_ = 0;
            count = 0;
        }

        Slot* slots_ = nullptr;
        std::uint32_t capacity_ = 0;
        unsigned shift_ = 64;
    };

    Half nonNegative_;
    Half negative_;
};
