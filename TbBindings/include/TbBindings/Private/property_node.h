#pragma once

#include <TbBindings/Private/dirtyable.h>
#include <TbBindings/connection_handle.h>
#include <TbBindings/errors.h>
#include <TbBindings/property.h>

namespace TbBindings::Private {

// A leaf of a binding expression: follows one property through its moves and notices its destruction.
template<typename T>
class PropertyNode final : public NodeInterface<T>
{
public:
    explicit PropertyNode(Property<T> &property)
        : m_property(&property)
    {
        m_movedConnection = property.moved().connect(&PropertyNode::onMoved, this);
        m_valueChangedConnection = property.valueChanged().connect(&PropertyNode::markDirty, this);
        m_destroyedConnection = property.destroyed().connect(&PropertyNode::onDestroyed, this);
    }

    ~PropertyNode() override
    {
        m_movedConnection.disconnect();
        m_valueChangedConnection.disconnect();
        m_destroyedConnection.disconnect();
    }

    PropertyNode(const PropertyNode &) = delete;
    PropertyNode &operator=(const PropertyNode &) = delete;

    const T &evaluate() override
    {
        if (!m_property)
            throw PropertyDestroyedError();
        m_dirty = false;
        return m_property->get();
    }

    Dirtyable **parentVariable() override { return &m_parent; }
    bool *dirtyVariable() override { return &m_dirty; }

private:
    void onMoved(Property<T> &newProperty)
    {
        // A different property announcing itself is where ours went; ours announcing itself means
        // another property was moved into it, and the value we followed is gone.
        m_property = (&newProperty != m_property) ? &newProperty : nullptr;
    }

    void onDestroyed() { m_property = nullptr; }

    Property<T> *m_property;
    ConnectionHandle m_movedConnection;
    ConnectionHandle m_valueChangedConnection;
    ConnectionHandle m_destroyedConnection;
    Dirtyable *m_parent = nullptr;
    bool m_dirty = false;
};

} // namespace TbBindings::Private
