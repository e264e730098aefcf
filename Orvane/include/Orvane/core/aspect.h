#pragma once

#include <TbFoundation/object.h>

namespace Orvane {

class AspectEngine;
class Entity;

// One subsystem of the engine (spatial, render, logic). The engine calls the notifications below in
// registration order and processFrame() once per frame.
class Aspect : public TbFoundation::Object
{
public:
    Aspect() = default;
    ~Aspect() override = default;

    // The engine this aspect was added to; null until then.
    AspectEngine *engine() const noexcept { return m_engine; }

    virtual void onEngineStarting() { }
    virtual void onEngineStarted() { }
    virtual void onEngineStopping() { }
    virtual void onEngineStopped() { }
    // Called while the old tree still exists.
    virtual void rootAboutToChange(Entity *oldRoot, Entity *newRoot);
    // Called after the old tree was destroyed: `oldRoot` is only an identity, never to be dereferenced.
    virtual void rootChanged(Entity *oldRoot, Entity *newRoot);

    // The aspect's work for one frame.
    virtual void processFrame() = 0;

private:
    friend class AspectEngine;
    AspectEngine *m_engine = nullptr;
};

} // namespace Orvane
