#include <TbGui/window.h>

#include <TbGui/abstract_platform_window.h>
#include <TbGui/gui_application.h>

#include <TbFoundation/resize_event.h>

namespace TbGui {

namespace {

constexpr uint32_t defaultWidth = 640;
constexpr uint32_t defaultHeight = 480;

} // namespace

Window::Window()
    : visible(false)
    , width(defaultWidth)
    , height(defaultHeight)
{
    visible.valueChanged().connect([this](const bool &shown) { applyVisibility(shown); });
    width.valueChanged().connect([this](const uint32_t &) { applySize(); });
    height.valueChanged().connect([this](const uint32_t &) { applySize(); });
    if (GuiApplication *app = GuiApplication::instance())
        m_platformWindow = app->guiPlatformIntegration()->createPlatformWindow(this);
}

Window::~Window()
{
    m_platformWindow.reset();
}

void Window::event(TbFoundation::EventReceiver *target, TbFoundation::Event *e)
{
    if (target == this && e && e->type() == TbFoundation::Event::Resize) {
        const auto *resize = static_cast<TbFoundation::ResizeEvent *>(e);
        // The native window already has this size: recording it must not resize it again.
        m_followingNativeSize = true;
        if (!width.isReadOnly() && resize->width() >= 0)
            width = static_cast<uint32_t>(resize->width());
        if (!height.isReadOnly() && resize->height() >= 0)
            height = static_cast<uint32_t>(resize->height());
        m_followingNativeSize = false;
    }
    Object::event(target, e);
}

void Window::applyVisibility(bool shown)
{
    if (!m_platformWindow)
        return;
    if (shown) {
        if (!m_platformWindow->isCreated() && !m_platformWindow->create())
            return;
        m_platformWindow->show();
    } else {
        m_platformWindow->hide();
    }
}

void Window::applySize()
{
    if (m_followingNativeSize || !m_platformWindow || !m_platformWindow->isCreated())
        return;
    m_platformWindow->setSize(width.get(), height.get());
}

} // namespace TbGui
