#pragma once

namespace TbBindings::Private {

// Anything in a binding expression that can go out of date. Marking an object dirty marks its parents
// too, up to the binding, and stops at the first one that is already dirty.
class Dirtyable
{
public:
    virtual ~Dirtyable() = default;

    virtual void markDirty()
    {
        if (bool *dirty = dirtyVariable()) {
            if (*dirty)
                return;
            *dirty = true;
        }
        if (Dirtyable **parent = parentVariable(); parent && *parent)
            (*parent)->markDirty();
    }

    // Address of the parent pointer, or null for objects that have no parent.
    virtual Dirtyable **parentVariable() { return nullptr; }
    // Address of the dirty flag, or null for objects that have none.
    virtual bool *dirtyVariable() { return nullptr; }
};

// A node of a binding expression: evaluating it brings it up to date and gives its value.
template<typename T>
class NodeInterface : public Dirtyable
{
public:
    virtual const T &evaluate() = 0;
};

} // namespace TbBindings::Private
