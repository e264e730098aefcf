#include <Orvane/core/entity.h>

#include <algorithm>
#include <stdexcept>

namespace Orvane {

Entity::Entity()
{
    parentEntityChanged.connect([this](Entity *, Entity *) { updateDepths(); });
    layerMask.valueChanged().connect([this](const uint32_t &) { componentsChanged.emit(this); });
}

Entity::~Entity()
{
    // Last child first; each goes through the same announcements as a child handed out.
    while (!m_childEntities.empty())
        takeChildEntity(m_childEntities.back().get()).reset();
    destroyed.emit(this);
    for (auto &component : m_components)
        component.reset();
    m_components.clear();
}

void Entity::adoptChildEntity(std::unique_ptr<Entity> child)
{
    if (!child)
        throw std::invalid_argument("Cannot add a null child entity");
    Entity *raw = child.get();
    raw->m_parentEntity = this;
    m_childEntities.push_back(std::move(child));
    raw->parentEntityChanged.emit(raw, this);
    childEntityAdded.emit(raw);
}

std::unique_ptr<Entity> Entity::takeChildEntity(Entity *child)
{
    const auto it =
            std::find_if(m_childEntities.begin(), m_childEntities.end(),
                         [child](const std::unique_ptr<Entity> &candidate) { return candidate.get() == child; });
    if (it == m_childEntities.end())
        return nullptr;
    child->m_parentEntity = nullptr;
    child->parentEntityChanged.emit(child, nullptr);
    // Signal handlers may have added children, so the position is looked up again.
    const auto at =
            std::find_if(m_childEntities.begin(), m_childEntities.end(),
                         [child](const std::unique_ptr<Entity> &candidate) { return candidate.get() == child; });
    std::unique_ptr<Entity> owned = std::move(*at);
    m_childEntities.erase(at);
    childEntityRemoved.emit(child);
    return owned;
}

void Entity::adoptComponent(std::unique_ptr<Component> component)
{
    if (!component)
        throw std::invalid_argument("Cannot add a null component");
    component->entity = this;
    m_components.push_back(std::move(component));
    componentsChanged.emit(this);
}

void Entity::updateDepths()
{
    m_depth = m_parentEntity ? m_parentEntity->m_depth + 1 : 0;
    for (const auto &child : m_childEntities)
        child->updateDepths();
}

} // namespace Orvane
