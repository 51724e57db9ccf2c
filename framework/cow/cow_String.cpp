#include "cow_String.h"

#include "mem_Alloc.h"

#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

cow_String::cow_String(const char* text) : cow_String(std::string_view(text ? text : "")) {}

cow_String::cow_String(std::string_view text) {
    if (text.empty())
        return;
    rep_ = static_cast<Rep*>(mem_Malloc(offsetof(Rep, text) + text.size() + 1));
    rep_->refs = 1;
    rep_->size = text.size();
    std::memcpy(rep_->text, text.data(), text.size());
    rep_->text[text.size()] = '\0';
}

cow_String& cow_String::operator=(const cow_String& other) noexcept {
    Rep* incoming = other.rep_;
    other.retain(); // first, so self-assignment keeps the text alive
    release();
    rep_ = incoming;
    return *this;
}

cow_String& cow_String::operator=(cow_String&& other) noexcept {
    if (this != &other) {
        release();
        rep_ = other.rep_;
        other.rep_ = nullptr;
    }
    return *this;
}

void cow_String::release() noexcept {
    if (rep_ && rep_->refs != kInterned && --rep_->refs == 0)
        mem_Free(rep_);
    rep_ = nullptr;
}

namespace {
// Interned texts by content. Never destroyed: statics may copy names until the very end. The
// keys view the texts themselves, which are never freed.
struct InternTable {
    std::shared_mutex mutex;
    std::unordered_map<std::string_view, cow_String> texts;
};

InternTable& internTable() {
    static InternTable* table = new InternTable;
    return *table;
}
} // namespace

cow_String cow_String::Interned(std::string_view text) {
    if (text.empty())
        return cow_String();
    InternTable& table = internTable();
    {
        std::shared_lock<std::shared_mutex> lock(table.mutex);
        auto it = table.texts.find(text);
        if (it != table.texts.end())
            return it->second;
    }
    std::lock_guard<std::shared_mutex> lock(table.mutex);
    auto it = table.texts.find(text);
    if (it != table.texts.end())
        return it->second;
    cow_String kept(text);
    kept.rep_->refs = kInterned;
    return table.texts.emplace(kept.view(), kept).first->second;
}

cow_String operator+(const cow_String& a, std::string_view b) {
    std::string joined(a.view());
    joined.append(b);
    return cow_String(joined);
}
