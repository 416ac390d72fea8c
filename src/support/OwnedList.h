// OwnedList: the plug-in's one container, a doubly linked list that owns its items.
//
// Items enter only at the tail, so head-to-tail order is insertion order; lookups walk from the
// head and the first match wins. Every node holds its own heap item, and destroying a node
// destroys its item first. The links stay whole on every path: a node is linked only once it is
// fully built, and a node that cannot be allocated in `append` destroys the offered item and
// leaves the list as it was.
#pragma once

#include "support/Allocation.h"

#include <cassert>
#include <cstdint>

namespace tarnwick {

template <typename Item> struct OwnedListNode {
    Item* item;
    OwnedListNode* next;
    OwnedListNode* previous;
};

template <typename Item> class OwnedList {
public:
    using Node = OwnedListNode<Item>;

    constexpr OwnedList() = default;
    OwnedList(const OwnedList&) = delete;
    OwnedList& operator=(const OwnedList&) = delete;
    ~OwnedList() { clear(); }

    // First node, or null when the list is empty.
    Node* head() const { return head_; }
    // Last node, or null when the list is empty.
    Node* tail() const { return tail_; }
    // Number of nodes.
    std::uint32_t count() const { return count_; }

    // Takes ownership of `item` and links it after the tail; true when it is linked. When the
    // node cannot be allocated the item is destroyed, the list is unchanged and the answer is
    // false. A null item is refused the same way, unchanged, so no node ever lacks an item.
    bool append(Item* item) {
        if (item == nullptr) {
            return false;
        }
        Node* node = createOrNull<Node>(item, nullptr, tail_);
        if (node == nullptr) {
            delete item; // GCOVR_EXCL_BR_LINE: as in destroyNode, `item` is not null here
            return false;
        }
        if (tail_ == nullptr) {
            head_ = node;
        } else {
            tail_->next = node;
        }
        tail_ = node;
        ++count_;
        assert(head_->previous == nullptr && tail_->next == nullptr && count_ != 0);
        return true;
    }

    // Unlinks and destroys the first node from the head holding exactly `item`, with the item;
    // no effect when no node holds it.
    void remove(const Item* item) {
        Node* node = head_;
        while (node != nullptr && node->item != item) {
            node = node->next;
        }
        if (node == nullptr) {
            return;
        }
        if (node->previous != nullptr) {
            node->previous->next = node->next;
        } else {
            head_ = node->next;
        }
        if (node->next != nullptr) {
            node->next->previous = node->previous;
        } else {
            tail_ = node->previous;
        }
        assert(count_ != 0);
        --count_;
        assert((count_ == 0) == (head_ == nullptr) && (head_ == nullptr) == (tail_ == nullptr));
        destroyNode(node);
    }

    // Destroys every item and node, head to tail, and leaves the list empty.
    void clear() {
        Node* node = head_;
        [[maybe_unused]] const std::uint32_t linked = count_;
        [[maybe_unused]] std::uint32_t destroyed = 0;
        head_ = nullptr;
        tail_ = nullptr;
        count_ = 0;
        while (node != nullptr) {
            Node* next = node->next;
            destroyNode(node);
            node = next;
            ++destroyed;
        }
        assert(destroyed == linked);
    }

private:
    // Destroys the node's item, then the node. `delete` tests its operand for null first; a node
    // and its item never are, so that branch of the compiler's is never taken and is left out of
    // the coverage count.
    static void destroyNode(Node* node) {
        // GCOVR_EXCL_BR_START
        delete node->item;
        delete node;
        // GCOVR_EXCL_BR_STOP
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    std::uint32_t count_ = 0;
};

} // namespace tarnwick
