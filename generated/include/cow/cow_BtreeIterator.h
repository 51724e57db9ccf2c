// Walks a cow_Btree in key order, forwards or backwards, without copying or counting anything.
//
//   cow_BtreeIterator<int, int> it(tree);
//   for (it.First(); !it.IsDone(); it.Next())
//       use(it.Key(), it.Value());
//
// The iterator keeps the path from the root to the current node as a stack of heap frames (one
// small allocation per level descended). It must not be used across a change of the tree:
// insertion and removal may replace the links held on its stack.
#pragma once

#include "cow_Btree.h"

#include <cassert>

template <class K, class V>
class cow_BtreeIterator {
public:
    using Node = cow_BtreeNode<K, V>;

    // Not positioned until First() or Last().
    explicit cow_BtreeIterator(const cow_Btree<K, V>& tree) : tree_(&tree), top_(nullptr) {}
    cow_BtreeIterator(const cow_BtreeIterator&) = delete;
    cow_BtreeIterator& operator=(const cow_BtreeIterator&) = delete;
    ~cow_BtreeIterator() { clear(); }

    void First() {
        clear();
        if (tree_->root_)
            pushSpine(tree_->root_, &Node::left_);
    }

    void Last() {
        clear();
        if (tree_->root_)
            pushSpine(tree_->root_, &Node::right_);
    }

    void Next() { step(&Node::right_, &Node::left_); }
    void Previous() { step(&Node::left_, &Node::right_); }

    // Done when the stack is empty: before First()/Last() and after walking off either end.
    bool IsDone() const { return top_ == nullptr; }

    const Node& Current() const {
        assert(top_ && "the iterator is positioned");
        return *top_->link->ConstPtr();
    }
    const K& Key() const { return Current().Key(); }
    const V& Value() const { return Current().Value(); }

private:
    using Handle = typename Node::Handle;
    using Slot = Handle* Node::*;

    struct Frame {
        const Handle* link;
        Frame* below;
    };

    void push(const Handle* link) { top_ = new Frame{link, top_}; }

    // Frees the top frame and returns the link it held.
    const Handle* pop() {
        Frame* f = top_;
        top_ = f->below;
        const Handle* link = f->link;
        delete f;
        return link;
    }

    void clear() {
        while (top_)
            pop();
    }

    // Pushes `link`, then every `inward` child below it: the extreme node of that subtree.
    void pushSpine(const Handle* link, Slot inward) {
        push(link);
        while (const Handle* next = link->ConstPtr()->*inward) {
            push(next);
            link = next;
        }
    }

    // Next() is step(right, left), Previous() the mirror. With an outward subtree, the next
    // node is that subtree's innermost one. Otherwise climb: keep popping while coming back up
    // from an outward child; the first node reached from its inward side is the next one.
    // Past the last key the stack ends empty.
    void step(Slot outward, Slot inward) {
        assert(top_ && "the iterator is positioned");
        if (const Handle* sub = top_->link->ConstPtr()->*outward) {
            pushSpine(sub, inward);
            return;
        }
        const Handle* popped = pop();
        while (top_ && top_->link->ConstPtr()->*outward == popped)
            popped = pop();
    }

    const cow_Btree<K, V>* tree_;
    Frame* top_;
};
