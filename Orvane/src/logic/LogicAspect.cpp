#include <Orvane/logic/LogicAspect.h>

#include <TbFoundation/Logging.h>

#include <algorithm>

namespace Orvane {

namespace Logic {

EntityTracker::EntityTracker(LogicAspect *aspect, uint32_t dirtyBit, FrameActionTracker *frameActions)
    : EntityTrackerBase(aspect, dirtyBit)
    , m_frameActions(frameActions)
{
}

void EntityTracker::registerComponentsToTrack(Entity *entity)
{
    addConnection(entity, entity->componentsChanged.connect([this](Entity *changed) { trackFrameActionsOf(changed); }));
    trackFrameActionsOf(entity);
}

void EntityTracker::unregisterComponentsToTrack(Entity *entity)
{
    for (const auto &component : entity->components()) {
        if (auto *action = dynamic_cast<FrameAction *>(component.get()))
            m_frameActions->untrack(action);
    }
}

void EntityTracker::trackFrameActionsOf(Entity *entity)
{
    for (const auto &component : entity->components()) {
        if (auto *action = dynamic_cast<FrameAction *>(component.get()))
            m_frameActions->track(action);
    }
}

} // namespace Logic

LogicAspect::LogicAspect()
    : m_logger(TbFoundation::getOrCreateLogger("logic aspect", spdlog::level::debug))
    , m_frameActionTracker(std::make_unique<Logic::FrameActionTracker>(this, FrameActionsDirty))
    , m_entityTracker(std::make_unique<Logic::EntityTracker>(this, EntitiesDirty, m_frameActionTracker.get()))
{
    setObjectName("Logic Aspect");
}

LogicAspect::~LogicAspect()
{
    // The entity tracker refers to the frame-action tracker: it goes first.
    m_entityTracker.reset();
    m_frameActionTracker.reset();
}

void LogicAspect::rootAboutToChange(Entity *, Entity *)
{
    m_entityTracker->reset();
    m_frameActionTracker->reset();
    m_frameActions.clear();
}

void LogicAspect::rootChanged(Entity *, Entity *newRoot)
{
    if (newRoot)
        m_entityTracker->track(newRoot);
}

void LogicAspect::processFrame()
{
    if (dirtyFlags & EntitiesDirty) {
        m_entityTracker->takeAdded();
        m_entityTracker->takeChanged();
        m_entityTracker->takeRemoved();
        dirtyFlags &= ~uint32_t(EntitiesDirty);
    }
    if (dirtyFlags & FrameActionsDirty) {
        for (FrameAction *gone : m_frameActionTracker->takeRemoved())
            std::erase(m_frameActions, gone);
        for (FrameAction *appeared : m_frameActionTracker->takeAdded())
            m_frameActions.push_back(appeared);
        m_frameActionTracker->takeChanged();
        dirtyFlags &= ~uint32_t(FrameActionsDirty);
    }
    // A slot may destroy actions or add new ones: those take effect from the next frame, so the list is
    // walked by copy and each action is checked to be still tracked before it is touched.
    const std::vector<FrameAction *> actions = m_frameActions;
    for (FrameAction *action : actions) {
        if (m_frameActionTracker->isTracked(action) && action->enabled.get())
            action->triggered.emit(action);
    }
}

} // namespace Orvane
