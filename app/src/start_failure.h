#pragma once

#include <stdexcept>
#include <string>

namespace ovi {

// A start-up failure the user must hear about: the viewer cannot go on (no Vulkan instance, no device that can
// draw into the window, a missing or unreadable scene file).
class StartFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reports `message` on Qt's critical log and, where someone can see it, in a message box. The box is left out
// when the environment variable TAVISHER_NO_DIALOGS is set (tests and scripts) and on Qt's offscreen and
// minimal platforms, which have no screen to show it on, so nothing ever waits for a click there.
void reportStartFailure(const std::string &message);

// Reports `message` as above and throws StartFailure with it.
[[noreturn]] void failStart(const std::string &message);

} // namespace ovi
