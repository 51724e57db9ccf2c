// A node of cow_Btree: one key, one value and links to at most two subtrees.
//
// Links are separately allocated copy-on-write handles, so a node can sit in several versions of
// a tree at once; rotations and removal move the link pointers between slots without touching
// any count. Every operation that changes a subtree un-shares (Get()) the nodes it passes
// through, which copies at most the nodes of one root-to-leaf path.
#pragma once

#include "cow_COW.h"
#include "cow_Direct.h"

#include <algorithm>
#include <cassert>
#include <concepts>
#include <cstdint>
#include <type_traits>

template <class K, class V>
class cow_Btree;
template <class K, class V>
class cow_BtreeIterator;

template <class K, class V>
class cow_BtreeNode {
    // Every tree instantiates its node, so the requirements of the whole tree live here.
    static_assert(std::integral<K> && sizeof(K) <= sizeof(std::int32_t),
                  "cow_Btree<K, V>: K must be an integral type of at most 32 bits (keys are "
                  "ordered by their 32-bit difference)");
    static_assert(std::default_initializable<V> && std::copy_constructible<V> &&
                      std::is_copy_assignable_v<V>,
                  "cow_Btree<K, V>: V must be default-constructible (the missing value) and "
                  "copy-constructible and copy-assignable (nodes share or copy their values)");

public:
    using Handle = cow_COW<cow_BtreeNode, cow_Direct<cow_BtreeNode>>;

    cow_BtreeNode(const K& key, const V& value)
        : value_(value), key_(key), left_(nullptr), right_(nullptr), height_(0) {}

    // Shallow: the copy gets new handles onto the same children (their counts go up), so both
    // nodes share their subtrees. This is what Get() on a shared link runs. Allocates up to two
    // handles.
    cow_BtreeNode(const cow_BtreeNode& other)
        : value_(other.value_), key_(other.key_), left_(nullptr), right_(nullptr),
          height_(other.height_) {
        if (other.left_)
            left_ = new Handle(*other.left_);
        if (other.right_) {
            try {
                right_ = new Handle(*other.right_);
            } catch (...) {
                delete left_;
                throw;
            }
        }
    }

    cow_BtreeNode& operator=(const cow_BtreeNode&) = delete;

    // Releases both subtrees (each child node goes when its last holder does), then the value.
    ~cow_BtreeNode() {
        delete left_;
        delete right_;
    }

    const K& Key() const { return key_; }
    const V& Value() const { return value_; }
    // Writable value of a node the caller has already un-shared (Find gives only such nodes).
    V& Value() { return value_; }
    // 0 for a leaf, else 1 + the greater height of the children.
    int Height() const { return height_; }
    const cow_BtreeNode* Left() const { return left_ ? left_->ConstPtr() : nullptr; }
    const cow_BtreeNode* Right() const { return right_ ? right_->ConstPtr() : nullptr; }

    // The order of the tree: the sign of the wrapped 32-bit difference key - nodeKey (negative
    // goes left, positive right, zero matches). Unsigned subtraction keeps the wrap defined.
    // This is numeric order only while all keys lie less than 2^31 apart; INT_MAX sorts below
    // INT_MIN, since their difference wraps to -1. Index keys (non-negative) never meet it.
    static std::int32_t KeyDifference(const K& key, const K& nodeKey) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(key) -
                                         static_cast<std::uint32_t>(nodeKey));
    }

    // Writable lookup below this (already un-shared) node: un-shares every child it descends
    // into, even when the key turns out to be absent. Null if absent.
    cow_BtreeNode* Find(const K& key) {
        cow_BtreeNode* node = this;
        for (;;) {
            const std::int32_t d = KeyDifference(key, node->key_);
            if (d == 0)
                return node;
            Handle* next = d < 0 ? node->left_ : node->right_;
            if (!next)
                return nullptr;
            node = &next->Get();
        }
    }

    // Read-only lookup: copies nothing, changes no count. Null if absent.
    const cow_BtreeNode* ConstFind(const K& key) const {
        const cow_BtreeNode* node = this;
        for (;;) {
            const std::int32_t d = KeyDifference(key, node->key_);
            if (d == 0)
                return node;
            const Handle* next = d < 0 ? node->left_ : node->right_;
            if (!next)
                return nullptr;
            node = next->ConstPtr();
        }
    }

    // Inserts below this (already un-shared) node unless the key is present; nothing is
    // replaced. Un-shares the search path even when the key is present.
    bool InsertUnlessMember(const K& key, const V& value) {
        const std::int32_t d = KeyDifference(key, key_);
        if (d == 0)
            return false;
        Handle*& slot = d < 0 ? left_ : right_;
        if (slot) {
            cow_BtreeNode& child = slot->Get();
            const bool inserted = child.InsertUnlessMember(key, value);
            if (inserted) {
                if (Handle* replacement = child.Balance(slot))
                    slot = replacement;
                UpdateHeight();
            }
            return inserted;
        }
        slot = new Handle(new cow_BtreeNode(key, value));
        UpdateHeight();
        return true;
    }

    // Removes key from the subtree of this (already un-shared) node, whose parent is `parent`
    // (the tree passes a sentinel for the root). When this node itself goes, it is destroyed
    // by the parent before the call returns.
    bool Remove(const K& key, cow_BtreeNode& parent) {
        const std::int32_t d = KeyDifference(key, key_);
        if (d != 0) {
            // The slot is re-read after the call: removing the child replaces its link.
            Handle*& slot = d < 0 ? left_ : right_;
            if (!slot)
                return false;
            const bool removed = slot->Get().Remove(key, *this);
            if (removed) {
                // A replacement that was one of the removed node's subtrees may still be shared,
                // so Get() here can copy.
                if (slot) {
                    if (Handle* replacement = slot->Get().Balance(slot))
                        slot = replacement;
                }
                UpdateHeight();
            }
            return removed;
        }

        Handle* replacement;
        if (!right_) {
            replacement = left_;
        } else if (!left_) {
            replacement = right_;
        } else if (!right_->Get().left_) {
            replacement = right_; // the right child is the successor; it keeps its right subtree
            cow_BtreeNode& successor = replacement->Get(); // sole holder by now: no copy
            successor.left_ = left_;
            successor.UpdateHeight();
        } else {
            replacement = detachLeftmost(right_->Get());
            cow_BtreeNode& successor = replacement->Get(); // sole holder by now: no copy
            successor.right_ = right_;
            successor.left_ = left_;
            successor.UpdateHeight();
        }
        // Our subtrees now hang elsewhere; destroying this node must not release them.
        left_ = right_ = nullptr;
        parent.RemoveNode(this, replacement);
        return true; // `this` is gone
    }

    // Restores balance at this (already un-shared) node, whose own link is `self`, with one
    // single rotation at most. An absent child counts as height 0, the same as a leaf. Returns
    // the link that must replace `self` in the parent's slot, or null when nothing rotated.
    // A zig-zag imbalance gets the same single rotation, so this does not guarantee the usual
    // height bound of a fully balanced tree.
    Handle* Balance(Handle* self) {
        assert(self && self->ConstPtr() == this && "Balance is given the node's own link");
        const int lh = left_ ? left_->ConstPtr()->height_ : 0;
        const int rh = right_ ? right_->ConstPtr()->height_ : 0;
        const int d = rh - lh;
        if (d >= 2) {
            Handle* up = right_;
            cow_BtreeNode& r = up->Get();
            right_ = r.left_;
            r.left_ = self;
            UpdateHeight();
            r.UpdateHeight();
            return up;
        }
        if (d <= -2) {
            Handle* up = left_;
            cow_BtreeNode& l = up->Get();
            left_ = l.right_;
            l.right_ = self;
            UpdateHeight();
            l.UpdateHeight();
            return up;
        }
        return nullptr;
    }

private:
    friend class cow_Btree<K, V>;
    friend class cow_BtreeIterator<K, V>;

    // Drops child m (whose link is destroyed, destroying m) and puts h in its slot.
    void RemoveNode(const cow_BtreeNode* m, Handle* h) {
        if (right_ && right_->ConstPtr() == m) {
            delete right_;
            right_ = h;
        } else {
            assert(left_ && left_->ConstPtr() == m && "RemoveNode is given a child");
            delete left_;
            left_ = h;
        }
        UpdateHeight();
    }

    // Unlinks the leftmost node below p (p has a left child) and returns its link; the
    // leftmost node's right subtree takes its place. Un-shares every node on the way down and,
    // on the way back, recomputes the heights of all of them, so that heights stay exact after
    // a removal rather than only up to the successor's parent.
    static Handle* detachLeftmost(cow_BtreeNode& p) {
        cow_BtreeNode& child = p.left_->Get();
        Handle* leftmost;
        if (child.left_) {
            leftmost = detachLeftmost(child);
        } else {
            leftmost = p.left_;
            p.left_ = child.right_;
            child.right_ = nullptr;
        }
        p.UpdateHeight();
        return leftmost;
    }

    void UpdateHeight() {
        const int lh = left_ ? left_->ConstPtr()->height_ + 1 : 0;
        const int rh = right_ ? right_->ConstPtr()->height_ + 1 : 0;
        height_ = std::max(lh, rh);
    }

    V value_;
    K key_;
    Handle* left_;
    Handle* right_;
    int height_;
};
