#include "flat_transform_hierarchy.h"

#include <Orvane/core/entity.h>
#include <Orvane/spatial/transform.h>

namespace Orvane {

namespace {

// How many transforms ahead the pass asks for the memory it will read and write.
constexpr std::size_t PrefetchDistance = 16;

inline void prefetchTransform(const Transform *transform)
{
#if defined(__GNUC__)
    const char *local = reinterpret_cast<const char *>(&transform->localTransform.get());
    const char *world = reinterpret_cast<const char *>(&transform->worldTransform.get());
    // The local value, and the world value with the signals and updater the assignment consults after it
    // (each matrix starts a cache line of its own).
    __builtin_prefetch(local);
    __builtin_prefetch(world, 1);
    __builtin_prefetch(world + 64, 1);
    __builtin_prefetch(world + 128, 1);
#else
    (void)transform;
#endif
}

} // namespace

void FlatTransformHierarchy::rebuild(Entity *root)
{
    clear();
    if (root)
        add(root, -1);
    m_world.resize(m_nodes.size());
    m_built = true;
}

void FlatTransformHierarchy::clear()
{
    m_nodes.clear();
    m_world.clear();
    m_built = false;
}

void FlatTransformHierarchy::add(Entity *entity, int32_t source)
{
    int32_t childSource = source;
    if (Transform *transform = entity->component<Transform>()) {
        childSource = int32_t(m_nodes.size());
        m_nodes.push_back({ transform, source });
    }
    for (const auto &child : entity->childEntities())
        add(child.get(), childSource);
}

bool FlatTransformHierarchy::propagate(const uint32_t &flags, uint32_t stopBits)
{
    const std::size_t count = m_nodes.size();
    const glm::mat4 identity(1.0f);
    for (std::size_t i = 0; i < count; ++i) {
        if (i + PrefetchDistance < count)
            prefetchTransform(m_nodes[i + PrefetchDistance].transform);
        const Node &node = m_nodes[i];
        const glm::mat4 &parent = node.source < 0 ? identity : m_world[std::size_t(node.source)];
        m_world[i] = parent * node.transform->localTransform.get();
        node.transform->worldTransform = m_world[i];
        if (flags & stopBits)
            return false;
    }
    return true;
}

} // namespace Orvane
