#pragma once

#include <TbBindings/property.h>
#include <TbFoundation/event_receiver.h>

namespace Orvane {

class Entity;

// Something an entity has: a transform, a lens, a frame action ... Components are owned by their entity
// and learn which one through `entity`, which is null until the component is added.
class Component : public TbFoundation::EventReceiver
{
public:
    Component();
    ~Component() override;

    Component(const Component &) = delete;
    Component &operator=(const Component &) = delete;

    TbBindings::Property<Entity *> entity{ nullptr };
};

} // namespace Orvane
