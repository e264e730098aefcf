#pragma once

#include <TbGui/abstract_gui_platform_integration.h>
#include <TbGui/abstract_platform_window.h>

#include <TbFoundation/platform/linux/linux_platform_integration.h>

#include <memory>
#include <string>
#include <vector>

// A platform window that only writes down what it is asked to do.
class FakePlatformWindow : public TbGui::AbstractPlatformWindow
{
public:
    FakePlatformWindow(TbGui::Window *window, std::vector<std::string> &log)
        : AbstractPlatformWindow(window)
        , log(log)
    {
    }
    bool create() override
    {
        log.push_back("create");
        const bool made = !created;
        created = true;
        return made;
    }
    bool destroy() override
    {
        log.push_back("destroy");
        const bool had = created;
        created = false;
        return had;
    }
    bool isCreated() const override { return created; }
    void show() override { log.push_back("show"); }
    void hide() override { log.push_back("hide"); }
    void grabMouse() override { log.push_back("grabMouse"); }
    void releaseMouse() override { log.push_back("releaseMouse"); }
    void enableRawMouseInput() override { log.push_back("enableRawMouseInput"); }
    void disableRawMouseInput() override { log.push_back("disableRawMouseInput"); }
    void setTitle(const std::string &title) override { log.push_back("setTitle " + title); }
    void setSize(uint32_t width, uint32_t height) override
    {
        log.push_back("setSize " + std::to_string(width) + "x" + std::to_string(height));
    }

    std::vector<std::string> &log;
    bool created = false;
};

// A GUI integration with the real event loop and fake windows.
class FakeGuiPlatformIntegration : public TbGui::AbstractGuiPlatformIntegration
{
public:
    explicit FakeGuiPlatformIntegration(std::vector<std::string> &log)
        : log(log)
    {
    }
    void init() override { }
    std::unique_ptr<TbFoundation::AbstractPlatformEventLoop> createPlatformEventLoop() override
    {
        return TbFoundation::LinuxPlatformIntegration().createPlatformEventLoop();
    }
    std::unique_ptr<TbGui::AbstractPlatformWindow> createPlatformWindow(TbGui::Window *window) override
    {
        return std::make_unique<FakePlatformWindow>(window, log);
    }
    std::vector<std::string> &log;
};
