#include <Orvane/logic/frame_action.h>

namespace Orvane {

FrameAction::FrameAction()
{
    enabled.valueChanged().connect([this](const bool &) { changed.emit(this); });
}

FrameAction::~FrameAction()
{
    destroyed.emit(this);
}

} // namespace Orvane
