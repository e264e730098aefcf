#pragma once

#include <TbFoundation/event_receiver.h>

#include <TbBindings/signal.h>

#include <concepts>
#include <memory>
#include <string>
#include <vector>

namespace TbFoundation {

// An event receiver with a name, a parent and the children it owns. Destroying an object destroys its
// children, the most recently added first.
class Object : public EventReceiver
{
public:
    Object() = default;
    ~Object() override;

    // Emitted by the child when it gets a new parent: (child, new parent).
    TbBindings::Signal<Object *, Object *> &parentChanged() noexcept { return m_parentChanged; }
    // Emitted by the parent after a child was added: (parent, child).
    TbBindings::Signal<Object *, Object *> &childAdded() noexcept { return m_childAdded; }
    // Emitted by the parent before a child is destroyed or taken away: (parent, child).
    TbBindings::Signal<Object *, Object *> &childRemoved() noexcept { return m_childRemoved; }

    Object *parent() const noexcept { return m_parent; }
    const std::vector<std::unique_ptr<Object>> &children() const noexcept { return m_children; }

    const std::string &objectName() const noexcept { return m_objectName; }
    void setObjectName(std::string name) { m_objectName = std::move(name); }

    // Takes ownership of `child` and returns it with its own type. A null child is returned as null.
    template<std::derived_from<Object> T>
    T *addChild(std::unique_ptr<T> child)
    {
        T *raw = child.get();
        adoptChild(std::unique_ptr<Object>(std::move(child)));
        return raw;
    }

    // Gives up ownership of `child`, which then has no parent. Returns null when `child` is not a child of
    // this object.
    std::unique_ptr<Object> takeChild(Object *child);

    // Runs timerEvent() for Timer events and userEvent() for user events, but only when this object is
    // the target: an object installed as an event filter ignores the events of others here.
    void event(EventReceiver *target, Event *e) override;

    virtual void timerEvent(Event *e);
    virtual void userEvent(Event *e);

private:
    void adoptChild(std::unique_ptr<Object> child);

    TbBindings::Signal<Object *, Object *> m_parentChanged;
    TbBindings::Signal<Object *, Object *> m_childAdded;
    TbBindings::Signal<Object *, Object *> m_childRemoved;
    Object *m_parent = nullptr;
    std::vector<std::unique_ptr<Object>> m_children;
    std::string m_objectName;
};

} // namespace TbFoundation
