// The containers' randomized runs against std:: models: a pool of entries (a container and its
// model each) changed by random operations drawn with a fixed seed. Reshape() is the operation
// that makes entries share storage and then lets it go: it copies an entry into a new place,
// assigns it over another (itself included), empties one or drops it.
//
//   ModelPool<Entry> pool(2024);
//   Entry& e = pool.entries[pool.Pick(pool.Size())];
#pragma once

#include <random>
#include <vector>

template <class Entry>
struct ModelPool {
    explicit ModelPool(unsigned seed, int most = 6) : rng(seed), most(most) {}

    int Pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
    int Size() const { return static_cast<int>(entries.size()); }

    // References into the pool do not survive this call.
    void Reshape(int k) {
        switch (Pick(4)) {
        case 0:
            if (Size() < most) {
                entries.push_back(entries[k]);
                break;
            }
            [[fallthrough]];
        case 1:
            entries[Pick(Size())] = entries[k];
            break;
        case 2:
            entries[Pick(Size())] = Entry{};
            break;
        default:
            if (Size() > 1)
                entries.erase(entries.begin() + k);
        }
    }

    std::mt19937 rng;
    int most;
    std::vector<Entry> entries = std::vector<Entry>(1);
};
