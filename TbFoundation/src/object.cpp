#include <TbFoundation/object.h>

#include <TbFoundation/event.h>

#include <algorithm>

namespace TbFoundation {

Object::~Object()
{
    // Children go last-added first. Each is taken out of the list before it is destroyed, so the list
    // never holds a half-destroyed object.
    while (!m_children.empty()) {
        std::unique_ptr<Object> child = std::move(m_children.back());
        m_children.pop_back();
        m_childRemoved.emit(this, child.get());
        child.reset();
    }
    m_objectName.clear();
}

void Object::adoptChild(std::unique_ptr<Object> child)
{
    if (!child)
        return;
    Object *raw = child.get();
    raw->m_parent = this;
    m_children.push_back(std::move(child));
    raw->m_parentChanged.emit(raw, this);
    m_childAdded.emit(this, raw);
}

std::unique_ptr<Object> Object::takeChild(Object *child)
{
    const auto it = std::find_if(m_children.begin(), m_children.end(),
                                 [child](const std::unique_ptr<Object> &owned) { return owned.get() == child; });
    if (it == m_children.end())
        return nullptr;
    std::unique_ptr<Object> taken = std::move(*it);
    m_children.erase(it);
    m_childRemoved.emit(this, child);
    child->m_parent = nullptr;
    child->m_parentChanged.emit(child, nullptr);
    return taken;
}

void Object::event(EventReceiver *target, Event *e)
{
    if (target != this || !e)
        return;
    if (e->type() == Event::Timer)
        timerEvent(e);
    else if (e->type() >= Event::User)
        userEvent(e);
}

void Object::timerEvent(Event *)
{
}

void Object::userEvent(Event *)
{
}

} // namespace TbFoundation
