#pragma once

#include <TbFoundation/object.h>

#include <TbBindings/property.h>

#include <cstdint>
#include <memory>
#include <string>

namespace TbGui {

class AbstractPlatformWindow;

// A top-level window: the target of the input and resize events of its native window. Making it visible
// creates the native window when needed and shows it; a close request from the window manager sets
// `visible` to false, which hides it. `width` and `height` follow the native window's size, and setting
// them resizes it.
class Window : public TbFoundation::Object
{
public:
    // The native side comes from the GUI application's platform integration; without a GUI application
    // the window has none and stays a plain object.
    Window();
    ~Window() override;

    AbstractPlatformWindow *platformWindow() const noexcept { return m_platformWindow.get(); }

    // Keeps `width` and `height` up to date from the resize events sent to this window.
    void event(TbFoundation::EventReceiver *target, TbFoundation::Event *e) override;

    TbBindings::Property<std::string> title;
    TbBindings::Property<bool> visible;
    TbBindings::Property<uint32_t> width;
    TbBindings::Property<uint32_t> height;

private:
    void applyVisibility(bool visible);
    void applySize();

    bool m_followingNativeSize = false;
    // Declared last: the native window goes before the properties it follows.
    std::unique_ptr<AbstractPlatformWindow> m_platformWindow;
};

} // namespace TbGui
