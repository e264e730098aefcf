#pragma once

#include <Orvane/core/component.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbFoundation/object.h>

#include <concepts>
#include <cstdint>
#include <memory>
#include <vector>

namespace Orvane {

// A node of the scene graph. An entity owns its components and its child entities; its scene-graph
// relations are its own and separate from the object parent/child relation of its base.
class Entity : public TbFoundation::Object
{
public:
    Entity();
    // Children go first, last to first, each announced through parentEntityChanged(child, nullptr) and
    // childEntityRemoved(child); then destroyed(this) is emitted; then the components die in order of
    // addition.
    ~Entity() override;

    Entity(const Entity &) = delete;
    Entity &operator=(const Entity &) = delete;

    // Render layers this entity belongs to (bits handed out by the LayerManager). A change emits
    // componentsChanged.
    TbBindings::Property<uint32_t> layerMask{ 0u };

    TbBindings::Signal<Entity *> destroyed;
    TbBindings::Signal<Entity *> componentsChanged;
    TbBindings::Signal<Entity *> childEntityAdded;
    TbBindings::Signal<Entity *> childEntityRemoved;
    TbBindings::Signal<Entity *, Entity *> parentEntityChanged;

    // Takes ownership of `child` and appends it; the child's parentEntityChanged (which updates the depths
    // below it) comes before this entity's childEntityAdded. Throws std::invalid_argument for null.
    template<std::derived_from<Entity> T>
    T *addChildEntity(std::unique_ptr<T> child)
    {
        T *raw = child.get();
        adoptChildEntity(std::unique_ptr<Entity>(std::move(child)));
        return raw;
    }

    // Hands a child back to the caller, announced like a destroyed child (parentEntityChanged(child,
    // nullptr), then childEntityRemoved(child)). Null when `child` is not a child of this entity.
    std::unique_ptr<Entity> takeChildEntity(Entity *child);

    // Takes ownership of `component`, sets its `entity` to this one (throws ReadOnlyProperty when that
    // property is bound, and the component is dropped) and emits componentsChanged.
    template<std::derived_from<Component> T>
    T *addComponent(std::unique_ptr<T> component)
    {
        T *raw = component.get();
        adoptComponent(std::unique_ptr<Component>(std::move(component)));
        return raw;
    }

    template<std::derived_from<Component> T>
    T *createComponent()
    {
        return addComponent(std::make_unique<T>());
    }

    // The first component, in order of addition, that is a T; null when there is none.
    template<typename T>
    T *component() const
    {
        for (const auto &candidate : m_components) {
            if (auto *match = dynamic_cast<T *>(candidate.get()))
                return match;
        }
        return nullptr;
    }

    Entity *parentEntity() const noexcept { return m_parentEntity; }
    const std::vector<std::unique_ptr<Component>> &components() const noexcept { return m_components; }
    const std::vector<std::unique_ptr<Entity>> &childEntities() const noexcept { return m_childEntities; }
    // Number of ancestors: 0 for an entity without parent.
    int32_t depth() const noexcept { return m_depth; }

private:
    void adoptChildEntity(std::unique_ptr<Entity> child);
    void adoptComponent(std::unique_ptr<Component> component);
    void updateDepths();

    Entity *m_parentEntity = nullptr;
    std::vector<std::unique_ptr<Component>> m_components;
    std::vector<std::unique_ptr<Entity>> m_childEntities;
    int32_t m_depth = 0;
};

} // namespace Orvane
