// Shared, counted, immutable text: copying a cow_String copies one pointer and bumps a count.
//
// The empty string holds no storage at all, so default construction never allocates.
// The count is a plain integer: a text and its copies belong to one thread at a time. Texts
// that every thread reads (registered class and attribute names, field handles kept in
// statics) are interned instead: their count is never touched, so any thread may copy them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class cow_String {
public:
    cow_String() = default;
    cow_String(const char* text);
    cow_String(std::string_view text);
    cow_String(const std::string& text) : cow_String(std::string_view(text)) {}
    cow_String(const cow_String& other) noexcept : rep_(other.rep_) { retain(); }
    cow_String(cow_String&& other) noexcept : rep_(other.rep_) { other.rep_ = nullptr; }
    ~cow_String() { release(); }

    cow_String& operator=(const cow_String& other) noexcept;
    cow_String& operator=(cow_String&& other) noexcept;

    // The process-wide copy of `text`, kept until the process ends; equal texts share one.
    // Takes a lock and may allocate: for names fixed at start-up, not for data.
    static cow_String Interned(std::string_view text);
    bool IsInterned() const { return rep_ && rep_->refs == kInterned; }

    // Never null: the empty string answers "".
    const char* c_str() const { return rep_ ? rep_->text : ""; }
    std::size_t size() const { return rep_ ? rep_->size : 0; }
    bool empty() const { return size() == 0; }
    std::string_view view() const { return {c_str(), size()}; }
    std::string str() const { return std::string(view()); }

    // Two strings share storage: tests use it to prove a copy was not made.
    bool SharesWith(const cow_String& other) const { return rep_ && rep_ == other.rep_; }

    friend bool operator==(const cow_String& a, const cow_String& b) {
        return a.rep_ == b.rep_ || a.view() == b.view();
    }
    friend auto operator<=>(const cow_String& a, const cow_String& b) {
        return a.view() <=> b.view();
    }
    friend cow_String operator+(const cow_String& a, std::string_view b);

private:
    // The count of an interned text.
    static constexpr int kInterned = -1;

    struct Rep {
        int refs;
        std::size_t size;
        char text[1];
    };

    void retain() const noexcept {
        if (rep_ && rep_->refs != kInterned)
            ++rep_->refs;
    }
    void release() noexcept;

    Rep* rep_ = nullptr;
};
