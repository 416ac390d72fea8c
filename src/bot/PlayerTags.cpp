#include "bot/PlayerTags.h"

#include "support/Allocation.h"

namespace tarnwick {

namespace {

// The first tag from the head for `player` and `key`, or null.
PlayerTag* findTag(const PlayerTagList& tags, HostAddress player, std::uint32_t key) {
    for (PlayerTagList::Node* node = tags.head(); node != nullptr; node = node->next) {
        if (node->item->player == player && node->item->key == key) {
            return node->item;
        }
    }
    return nullptr;
}

} // namespace

std::uint32_t getTag(const PlayerTagList& tags, HostAddress player, std::uint32_t key) {
    const PlayerTag* tag = findTag(tags, player, key);
    return tag != nullptr ? tag->value : 0;
}

bool setTag(PlayerTagList& tags, HostAddress player, std::uint32_t key, std::uint32_t value) {
    if (PlayerTag* tag = findTag(tags, player, key)) {
        tag->value = value;
        return true;
    }
    return appendTag(tags, player, key, value);
}

bool appendTag(PlayerTagList& tags, HostAddress player, std::uint32_t key, std::uint32_t value) {
    return tags.append(createOrNull<PlayerTag>(player, key, value));
}

void removePlayerTags(PlayerTagList& tags, HostAddress player) {
    PlayerTagList::Node* node = tags.head();
    while (node != nullptr) {
        PlayerTagList::Node* next = node->next;
        if (node->item->player == player) {
            tags.remove(node->item);
        }
        node = next;
    }
}

void removeAllTags(PlayerTagList& tags) {
    tags.clear();
}

} // namespace tarnwick
