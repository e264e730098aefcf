#pragma once

#include <glm/mat4x4.hpp>

#include <cstdint>
#include <vector>

namespace Orvane {

class Entity;
class Transform;

// The transforms of a whole tree in depth-first order, each with the position of the transform its world
// matrix builds on. Recomputing every world matrix from it is one pass over an array whose transform
// addresses are known in advance, instead of a walk that has to find each entity's transform first. It
// describes the tree as it was when built: whoever owns it rebuilds it after the tree or its components
// changed.
class FlatTransformHierarchy
{
public:
    // Records the first transform of every entity below and including `root`.
    void rebuild(Entity *root);
    void clear();
    bool isBuilt() const noexcept { return m_built; }

    // world = parent world · local for every recorded transform, parents first, in depth-first order.
    // Slots connected to the world matrices may change the tree, after which the recorded transforms may be
    // gone: the pass stops, returning false, at the first write after which one of `stopBits` is raised in
    // `flags` (the owner's record of tree changes).
    bool propagate(const uint32_t &flags, uint32_t stopBits);

private:
    struct Node {
        Transform *transform;
        // Position of the transform of the nearest ancestor that has one; -1 for none (identity).
        int32_t source;
    };

    void add(Entity *entity, int32_t source);

    std::vector<Node> m_nodes;
    std::vector<glm::mat4> m_world;
    bool m_built = false;
};

} // namespace Orvane
