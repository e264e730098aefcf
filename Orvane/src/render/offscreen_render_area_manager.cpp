#include <Orvane/render/offscreen_render_area_manager.h>

#include <Orvane/render/offscreen_render_target.h>

#include <TbFoundation/logging.h>
#include <TbGpu/device.h>

#include <algorithm>

namespace Orvane {

OffscreenRenderAreaManager::OffscreenRenderAreaManager(TbGpu::Device *device, Render::ResourceDeleter *deleter)
    : m_device(device)
    , m_deleter(deleter)
    , m_logger(TbFoundation::getOrCreateLogger("offscreen renderarea manager", spdlog::level::debug))
{
}

OffscreenRenderAreaManager::~OffscreenRenderAreaManager() = default;

OffscreenRenderTarget *OffscreenRenderAreaManager::create(uint32_t index, uint32_t width, uint32_t height,
                                                          float scaleFactor, uint32_t layers)
{
    auto target = std::make_unique<OffscreenRenderTarget>(m_device, m_deleter, index);
    target->create(width, height, scaleFactor, layers);
    OffscreenRenderTarget *created = target.get();
    m_targets.push_back(std::move(target));
    renderTargetCreated.emit(created);
    return created;
}

void OffscreenRenderAreaManager::recreate(RenderTarget *target, uint32_t width, uint32_t height, float scaleFactor,
                                          uint32_t layers)
{
    if (width == 0 || height == 0)
        return;
    m_device->waitUntilIdle();
    auto *offscreen = static_cast<OffscreenRenderTarget *>(target);
    renderTargetAboutToBeDestroyed.emit(offscreen);
    offscreen->release();
    offscreen->create(width, height, scaleFactor, layers);
    renderTargetCreated.emit(offscreen);
}

void OffscreenRenderAreaManager::remove(RenderTarget *target)
{
    const auto it = std::find_if(m_targets.begin(), m_targets.end(),
                                 [target](const auto &candidate) { return candidate.get() == target; });
    if (it == m_targets.end())
        return;
    renderTargetAboutToBeDestroyed.emit(it->get());
    (*it)->release();
    m_targets.erase(it);
}

OffscreenRenderTarget *OffscreenRenderAreaManager::find(uint32_t index) const
{
    for (const auto &target : m_targets) {
        if (target->index == index)
            return target.get();
    }
    return nullptr;
}

} // namespace Orvane
