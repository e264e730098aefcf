#pragma once

#include <Orvane/core/component.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>

namespace Orvane {

// Per-frame behaviour: while enabled and in the scene, `triggered` fires once per engine frame (emitted
// by the logic aspect).
class FrameAction : public Component
{
public:
    FrameAction();
    ~FrameAction() override;

    TbBindings::Property<bool> enabled{ true };
    TbBindings::Signal<FrameAction *> triggered;
    // Emitted when `enabled` changes.
    TbBindings::Signal<FrameAction *> changed;
    TbBindings::Signal<FrameAction *> destroyed;
};

} // namespace Orvane
