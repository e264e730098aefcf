#pragma once

#include <functional>

namespace TbBindings {

// Drives a property: the property installs the routine through which new values are pushed into it, and
// reads the updater's current value when the updater is attached.
template<typename T>
class PropertyUpdater
{
public:
    virtual ~PropertyUpdater() = default;
    virtual void setUpdateFunction(std::function<void(T &&)> updateFunction) = 0;
    virtual T get() = 0;
};

} // namespace TbBindings
