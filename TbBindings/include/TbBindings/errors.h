#pragma once

#include <stdexcept>

namespace TbBindings {

// Thrown when a value is assigned to a property that a binding drives.
class ReadOnlyProperty : public std::runtime_error
{
public:
    ReadOnlyProperty()
        : std::runtime_error("Cannot set value on a read-only property. This property likely holds the result of a "
                             "binding expression.")
    {
    }
};

// Thrown when a binding expression reads a property that no longer exists.
class PropertyDestroyedError : public std::runtime_error
{
public:
    PropertyDestroyedError()
        : std::runtime_error("The Property this node refers to no longer exists!")
    {
    }
};

} // namespace TbBindings
