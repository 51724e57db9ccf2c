// The tests' one counted payload: counts its live instances (a leak shows as a count left over),
// its copies (a needless copy shows) and its comparisons (a comparison of shared storage shows).
#pragma once

struct LiveCounted {
    static inline int live = 0;
    static inline int copies = 0;
    static inline long compares = 0;

    int value = 0;

    LiveCounted() { ++live; }
    LiveCounted(int v) : value(v) { ++live; }
    LiveCounted(const LiveCounted& o) : value(o.value) {
        ++live;
        ++copies;
    }
    LiveCounted& operator=(const LiveCounted& o) = default;
    virtual ~LiveCounted() { --live; }

    // Polymorphic copy, as cow_Virtual expects.
    virtual LiveCounted* Copy() const { return new LiveCounted(*this); }

    friend bool operator==(const LiveCounted& a, const LiveCounted& b) {
        ++compares;
        return a.value == b.value;
    }
};
