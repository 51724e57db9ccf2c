// An ordered map with copy-on-write nodes: a height-balanced binary search tree (one key per
// node, despite the name). Copying a tree is O(1) and shares every node; a change copies only
// the nodes on the path from the root to the change, so many versions can live side by side.
//
//   cow_Btree<int, int> a;
//   a.InsertUnlessMember(3, 30);
//   cow_Btree<int, int> b = a;     // O(1): shares all nodes
//   b.InsertUnlessMember(4, 40);   // copies b's root path only; `a` still holds {3}
//
// Key and value requirements are stated in cow_BtreeNode.h.
#pragma once

#include "cow_BtreeNode.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

template <class K, class V>
class cow_Btree {
public:
    using Node = cow_BtreeNode<K, V>;
    using Handle = typename Node::Handle;

    cow_Btree() : root_(nullptr), count_(0), missingValue_() {}

    // O(1): a new root link onto the same root node; the missing value is shared.
    cow_Btree(const cow_Btree& other)
        : root_(other.root_ ? new Handle(*other.root_) : nullptr), count_(other.count_),
          missingValue_(other.missingValue_) {}

    // O(1) apart from releasing what this tree held alone.
    const cow_Btree& operator=(const cow_Btree& other) {
        if (this == &other)
            return *this;
        if (other.root_) {
            if (root_)
                *root_ = *other.root_;
            else
                root_ = new Handle(*other.root_);
        } else {
            delete root_;
            root_ = nullptr;
        }
        count_ = other.count_;
        missingValue_ = other.missingValue_;
        return *this;
    }

    ~cow_Btree() { delete root_; }

    // A new tree sharing this one's nodes, so that cow_Virtual can copy a whole tree.
    cow_Btree* Copy() const { return new cow_Btree(*this); }

    int Count() const { return count_; }
    bool IsEmpty() const { return root_ == nullptr; }
    const V& MissingValue() const { return missingValue_; }
    // The fallback value slot, writable: a stored map keeps what it fetched for an absent key
    // here.
    V& MissingValueSlot() { return missingValue_; }
    const Node* RootNode() const { return root_ ? root_->ConstPtr() : nullptr; }

    // True if the key was new and has been inserted; a present key keeps its value. Copies the
    // shared nodes of the search path (even when the key is present) plus one per rotation.
    bool InsertUnlessMember(const K& key, const V& value) {
        if (!root_) {
            root_ = new Handle(new Node(key, value));
            count_ = 1;
            return true;
        }
        Node& root = root_->Get();
        if (!root.InsertUnlessMember(key, value))
            return false;
        ++count_;
        if (Handle* replacement = root.Balance(root_))
            root_ = replacement;
        return true;
    }

    // True if the key was present and has been removed. Copies the shared nodes of the search
    // path and of the path to the successor, even when the key is absent.
    bool Remove(const K& key) {
        if (!root_)
            return false;
        // The root needs a parent for the node-level removal to relink it: a stack node whose
        // left slot lends the root link for the duration of the call.
        Node sentinel(K{}, missingValue_);
        sentinel.left_ = root_;
        bool removed;
        try {
            removed = root_->Get().Remove(key, sentinel);
        } catch (...) {
            root_ = sentinel.left_;
            sentinel.left_ = nullptr;
            throw;
        }
        root_ = sentinel.left_;
        sentinel.left_ = nullptr; // so the sentinel's destructor leaves the tree alone
        if (removed) {
            --count_;
            if (root_) {
                if (Handle* replacement = root_->Get().Balance(root_))
                    root_ = replacement;
            }
        }
        return removed;
    }

    // Fills an empty tree with `keys`, all holding `value`, in O(n) without a rotation: the
    // entries a sequence of InsertUnlessMember would give, in a tree balanced at once. Needs strictly
    // ascending keys spanning less than 2^31 (where the tree's wrapped order is the numeric
    // one); answers false, leaving the tree empty, when they do not.
    bool FillAscending(const std::vector<K>& keys, const V& value) {
        if (root_ || keys.empty())
            return keys.empty();
        for (std::size_t i = 1; i < keys.size(); ++i)
            if (!(keys[i - 1] < keys[i]))
                return false;
        if (static_cast<std::int64_t>(keys.back()) - static_cast<std::int64_t>(keys.front()) >=
            (std::int64_t{1} << 31))
            return false;
        root_ = buildBalanced(keys.data(), static_cast<int>(keys.size()), value);
        count_ = static_cast<int>(keys.size());
        return true;
    }

    // Writable lookup for callers that change the value in place (the object map). Un-shares
    // every node on the search path, even when the key is absent. Null if absent.
    Node* Find(const K& key) { return root_ ? root_->Get().Find(key) : nullptr; }

    // Read-only lookup: copies nothing. Null if absent.
    const Node* ConstFind(const K& key) const {
        return root_ ? root_->ConstPtr()->ConstFind(key) : nullptr;
    }

    // Checks the structure, for tests: every link holds a node and a count of at least 1;
    // every key is reachable from the root by the tree's own comparison (checked against all
    // its ancestors, not only the nearest ones, since the wrapped order is not transitive far
    // apart); every recorded height is exact (removal recomputes them along the successor
    // path); count matches the number of nodes. Balance is not checked: single rotations do
    // not bound the difference of the subtree heights (a zig-zag keeps it), so there is no
    // local invariant to check beyond the exact heights. On failure, `why` says what broke.
    bool validate(std::string* why = nullptr) const {
        std::string problem;
        std::vector<std::pair<K, bool>> ancestors; // key, and whether we went left of it
        int nodes = 0;
        if (root_)
            checkSubtree(*root_, ancestors, nodes, problem);
        if (problem.empty() && nodes != count_)
            problem = "count is " + std::to_string(count_) + " but the tree holds " +
                      std::to_string(nodes) + " nodes";
        if (why)
            *why = problem;
        return problem.empty();
    }

private:
    friend class cow_BtreeIterator<K, V>;

    // The middle key at the root, each half below it: heights differ by at most one.
    static Handle* buildBalanced(const K* keys, int n, const V& value) {
        if (n == 0)
            return nullptr;
        const int middle = n / 2;
        auto* handle = new Handle(new Node(keys[middle], value));
        Node& node = handle->Get();
        node.left_ = buildBalanced(keys, middle, value);
        node.right_ = buildBalanced(keys + middle + 1, n - middle - 1, value);
        node.UpdateHeight();
        return handle;
    }

    // Returns the subtree's height (-1 for an error, recorded in `problem`).
    static int checkSubtree(const Handle& link, std::vector<std::pair<K, bool>>& ancestors,
                            int& nodes, std::string& problem) {
        if (link.Count() < 1 || link.IsNull()) {
            problem = "a link holds no node or a count below 1";
            return -1;
        }
        const Node& n = *link.ConstPtr();
        ++nodes;
        for (const auto& [key, wentLeft] : ancestors) {
            const std::int32_t d = Node::KeyDifference(n.key_, key);
            if (wentLeft ? d >= 0 : d <= 0) {
                problem = "key " + std::to_string(n.key_) + " is on the wrong side of " +
                          std::to_string(key);
                return -1;
            }
        }
        int height = 0;
        for (const bool goLeft : {true, false}) {
            const Handle* child = goLeft ? n.left_ : n.right_;
            if (!child)
                continue;
            ancestors.emplace_back(n.key_, goLeft);
            const int h = checkSubtree(*child, ancestors, nodes, problem);
            ancestors.pop_back();
            if (h < 0)
                return -1;
            height = std::max(height, h + 1);
        }
        if (height != n.height_) {
            problem = "node " + std::to_string(n.key_) + " records height " +
                      std::to_string(n.height_) + " but has " + std::to_string(height);
            return -1;
        }
        return height;
    }

    Handle* root_;
    int count_;
    V missingValue_;
};
