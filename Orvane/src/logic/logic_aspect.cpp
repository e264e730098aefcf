#include <Orvane/logic/logic_aspect.h>

#include <TbFoundation/logging.h>

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
    triggerFrameActions();
}

void LogicAspect::triggerFrameActions()
{
    // A slot may destroy actions or take them out of the scene: the tracker reports them removed, and their
    // places are blanked at once. An address is no proof of identity here: a new action may take the
    // address of one destroyed earlier in the frame, and new actions wait for the next frame.
    for (std::size_t i = 0; i < m_frameActions.size(); ++i) {
        FrameAction *action = m_frameActions[i];
        if (!action || !action->enabled.get())
            continue;
        const std::size_t removedBefore = m_frameActionTracker->removed().size();
        action->triggered.emit(action);
        blankActionsRemovedSince(removedBefore);
    }
    std::erase(m_frameActions, nullptr);
}

void LogicAspect::blankActionsRemovedSince(std::size_t removedBefore)
{
    // A reset of the trackers (a new root) empties the removed list along with the action list.
    const std::vector<FrameAction *> &removed = m_frameActionTracker->removed();
    for (std::size_t i = removedBefore; i < removed.size(); ++i)
        std::replace(m_frameActions.begin(), m_frameActions.end(), removed[i], static_cast<FrameAction *>(nullptr));
}

} // namespace Orvane
