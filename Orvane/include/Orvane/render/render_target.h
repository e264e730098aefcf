#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <memory>

namespace spdlog {
class logger;
}

namespace TbGpu {
class Device;
}

namespace Orvane {

// What a render algorithm draws into: the images of a swapchain or one offscreen texture. create() makes the
// images for an extent, release() drops them; a resized window recreates the same target in place.
class RenderTarget
{
public:
    struct Extent {
        uint32_t width{ 0 };
        uint32_t height{ 0 };
        bool operator==(const Extent &) const = default;
    };

    enum Rotation : uint32_t {
        RotationNone = 0,
        Rotation90 = 1,
        Rotation180 = 2,
        Rotation270 = 3,
    };

    virtual ~RenderTarget() = default;

    virtual void release() = 0;
    virtual void create(uint32_t width, uint32_t height, float scaleFactor, uint32_t layers) = 0;
    virtual TbGpu::Format colorFormat() const = 0;
    virtual TbGpu::Format depthFormat() const = 0;
    virtual uint32_t imageCount() const = 0;
    virtual TbGpu::Handle<TbGpu::TextureView_t> imageView(uint32_t index) const = 0;
    virtual TbGpu::Handle<TbGpu::Texture_t> texture(uint32_t index) const = 0;

    uint32_t type{ 0 }; // a RenderTargetReference::Type
    std::shared_ptr<spdlog::logger> logger;
    TbGpu::Device *device{ nullptr };
    Extent extent;
    // The extent after the surface's pre-transform (swapchains); equal to `extent` offscreen.
    Extent surfaceExtent;
    uint32_t rotation{ RotationNone };
    uint32_t currentImageIndex{ 0 };
    // The position of the render target reference it was made for.
    uint32_t index{ 0 };
    float scaleFactor{ 1.0f };
    uint32_t layers{ 1 };

protected:
    RenderTarget(uint32_t targetType, std::shared_ptr<spdlog::logger> targetLogger, TbGpu::Device *targetDevice)
        : type(targetType)
        , logger(std::move(targetLogger))
        , device(targetDevice)
    {
    }
};

} // namespace Orvane
