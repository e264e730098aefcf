#pragma once

#include <TbGui/key_events.h>
#include <TbGui/mouse_events.h>
#include <TbGui/window.h>

#include <TbFoundation/core_application.h>
#include <TbFoundation/resize_event.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

// Describes an event in one line, so tests can compare what arrived with what they expect.
inline std::string describe(const TbFoundation::Event &e)
{
    using TbFoundation::Event;
    char line[160];
    switch (e.type()) {
    case Event::MousePress:
    case Event::MouseRelease: {
        const auto &m = static_cast<const TbGui::MouseButtonEvent &>(e);
        std::snprintf(line, sizeof line, "%s button=%d x=%d y=%d",
                      e.type() == Event::MousePress ? "MousePress" : "MouseRelease", m.button(), m.x(), m.y());
        return line;
    }
    case Event::MouseMove: {
        const auto &m = static_cast<const TbGui::MouseMoveEvent &>(e);
        std::snprintf(line, sizeof line, "MouseMove buttons=%d x=%lld y=%lld", m.buttons(), (long long)m.x(),
                      (long long)m.y());
        return line;
    }
    case Event::MouseWheel: {
        const auto &w = static_cast<const TbGui::MouseWheelEvent &>(e);
        std::snprintf(line, sizeof line, "MouseWheel x=%d y=%d", w.xDelta(), w.yDelta());
        return line;
    }
    case Event::KeyPress:
    case Event::KeyRelease: {
        const auto &k = static_cast<const TbGui::KeyEvent &>(e);
        std::snprintf(line, sizeof line, "%s native=%d key=%d modifiers=%d",
                      e.type() == Event::KeyPress ? "KeyPress" : "KeyRelease", k.nativeKeycode(), k.key(),
                      k.modifiers());
        return line;
    }
    case Event::TextInput: {
        std::string text = "TextInput";
        for (unsigned char c : static_cast<const TbGui::TextInputEvent &>(e).text()) {
            std::snprintf(line, sizeof line, " %02X", c);
            text += line;
        }
        return text;
    }
    case Event::Resize: {
        const auto &r = static_cast<const TbFoundation::ResizeEvent &>(e);
        std::snprintf(line, sizeof line, "Resize %dx%d", r.width(), r.height());
        return line;
    }
    default:
        std::snprintf(line, sizeof line, "Event %d", e.type());
        return line;
    }
}

// A window that writes down every event sent to it.
class RecordingWindow : public TbGui::Window
{
public:
    void event(TbFoundation::EventReceiver *target, TbFoundation::Event *e) override
    {
        if (target == this)
            events.push_back(describe(*e));
        Window::event(target, e);
    }

    std::vector<std::string> eventsOfType(uint16_t type) const
    {
        std::vector<std::string> matching;
        for (const std::string &line : events) {
            if (typeOf(line) == type)
                matching.push_back(line);
        }
        return matching;
    }

    std::vector<std::string> events;

private:
    static uint16_t typeOf(const std::string &line)
    {
        using TbFoundation::Event;
        const std::string word = line.substr(0, line.find(' '));
        if (word == "MousePress")
            return Event::MousePress;
        if (word == "MouseRelease")
            return Event::MouseRelease;
        if (word == "MouseMove")
            return Event::MouseMove;
        if (word == "MouseWheel")
            return Event::MouseWheel;
        if (word == "KeyPress")
            return Event::KeyPress;
        if (word == "KeyRelease")
            return Event::KeyRelease;
        if (word == "TextInput")
            return Event::TextInput;
        if (word == "Resize")
            return Event::Resize;
        return 0;
    }
};

// Runs the application's loop until `done` holds or `limit` passes; returns whether it held.
template<typename Predicate>
bool pumpUntil(TbFoundation::CoreApplication &app, Predicate done,
               std::chrono::milliseconds limit = std::chrono::seconds(3))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        app.processEvents(20);
    }
    return true;
}

// Lets the loop handle whatever has arrived, for a short while.
inline void pumpFor(TbFoundation::CoreApplication &app, std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline)
        app.processEvents(10);
}
