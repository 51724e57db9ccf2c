// A value that counts its live instances and its copies, for leak and sharing checks.
#pragma once

struct LiveCounted {
    static inline int live = 0;
    static inline int copies = 0;

    int value = 0;

    LiveCounted() { ++live; }
    explicit LiveCounted(int v) : value(v) { ++live; }
    LiveCounted(const LiveCounted& o) : value(o.value) {
        ++live;
        ++copies;
    }
    LiveCounted& operator=(const LiveCounted& o) = default;
    virtual ~LiveCounted() { --live; }

    // Polymorphic copy, as cow_Virtual expects.
    virtual LiveCounted* Copy() const { return new LiveCounted(*this); }

    friend bool operator==(const LiveCounted& a, const LiveCounted& b) { return a.value == b.value; }
};
