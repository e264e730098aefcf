#pragma once

#include <Orvane/core/entity.h>

#include <cstddef>
#include <vector>

namespace Orvane {

// The lowest common ancestor of two entities (either may be null, which yields the other). Entities in
// different trees have none: the result is then `fallbackRoot`.
Entity *lowestCommonAncestor(Entity *a, Entity *b, Entity *fallbackRoot);

// The lowest common ancestor of a list of entities: null for an empty list, the entry itself for a list of
// one; otherwise null entries are skipped and the others folded pairwise, stopping early once the result is
// a root (depth 0). `entityOf` maps each element to its entity (for components: their `entity`).
template<typename Range, typename EntityOf>
Entity *lowestCommonAncestor(const Range &items, EntityOf entityOf, Entity *fallbackRoot)
{
    const std::size_t count = std::size(items);
    if (count == 0)
        return nullptr;
    if (count == 1)
        return entityOf(*std::begin(items));
    Entity *result = nullptr;
    for (const auto &item : items) {
        Entity *entity = entityOf(item);
        if (!entity)
            continue;
        result = result ? lowestCommonAncestor(result, entity, fallbackRoot) : entity;
        if (!result || result->depth() == 0)
            return result;
    }
    return result;
}

inline Entity *lowestCommonAncestor(const std::vector<Entity *> &entities, Entity *fallbackRoot)
{
    return lowestCommonAncestor(
            entities, [](Entity *entity) { return entity; }, fallbackRoot);
}

} // namespace Orvane
