// Whole-registry checks of the plug-in's invariants, for fuzzers, soaks and failure injection.
//
// Nothing here uses a test framework: every check answers with a description of the first
// breach it finds, or the empty string when everything holds, so any driver can report it.
#pragma once

#include "Host.h"
#include "support/OwnedList.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace checks {

// Answers whether `player` is a record the host still holds for the bot `handle`.
using LivePlayerQuery = std::function<bool(std::uint32_t handle, std::uintptr_t player)>;

// Empty when `list` is whole: head and tail null exactly when count is 0; following next from
// head visits count distinct nodes, each with its own non-null item, and ends at tail, with every
// previous link pointing back; following previous from tail visits the same nodes reversed.
// Walks at most count + 1 nodes each way, so a cycle is reported, not followed.
template <typename Item> std::string findListBreach(const tarnwick::OwnedList<Item>& list) {
    using Node = typename tarnwick::OwnedList<Item>::Node;
    if ((list.head() == nullptr) != (list.count() == 0) ||
        (list.tail() == nullptr) != (list.count() == 0)) {
        return "head or tail disagrees with count " + std::to_string(list.count());
    }
    std::set<const Item*> items;
    std::vector<const Node*> forward;
    std::uint32_t visited = 0;
    const Node* previous = nullptr;
    for (const Node* node = list.head(); node != nullptr; node = node->next) {
        if (visited == list.count()) {
            return "next chain longer than count " + std::to_string(list.count());
        }
        if (node->previous != previous) {
            return "previous link broken at position " + std::to_string(visited);
        }
        if (node->item == nullptr || !items.insert(node->item).second) {
            return "missing or shared item at position " + std::to_string(visited);
        }
        forward.push_back(node);
        previous = node;
        ++visited;
    }
    if (visited != list.count() || previous != list.tail()) {
        return "next chain of " + std::to_string(visited) + " nodes does not end at tail, count " +
               std::to_string(list.count());
    }
    for (const Node* node = list.tail(); node != nullptr; node = node->previous) {
        if (visited == 0 || forward[visited - 1] != node) {
            return "previous chain differs from next chain";
        }
        --visited;
    }
    return visited == 0 ? "" : "previous chain stops before head";
}

// Empty when every invariant of the registry holds: the registry and every instance's tags and
// roster are whole lists; no two instances share a handle; an unlocked instance has an empty
// roster and no tags; a locked one holds a team of 0 to 65534 and only team passes, at most one
// per player record. The plug-in gives a record the host lists twice two passes, so that last
// check holds only for hosts that list each record once, as hostsim does. For instances
// that still handle events (not disabled), every tagged player must also be live by
// `isLivePlayer`; a null query skips that check.
std::string findRegistryBreach(const LivePlayerQuery& isLivePlayer);

// A query that takes a player as live for a bot while the host's arena for that handle still
// holds its record. The host must outlive the query.
LivePlayerQuery playersHeldBy(const hostsim::Host& host);

} // namespace checks
