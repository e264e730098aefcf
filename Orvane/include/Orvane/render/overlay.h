#pragma once

#include <Orvane/render/render_algorithm.h>

#include <cstdint>
#include <memory>

namespace TbGpu {
class CommandRecorder;
class RenderPassCommandRecorder;
} // namespace TbGpu

namespace Orvane {

class RenderTarget;
class Renderer;

// What an overlay draws over the composed stereo image, for one renderer. The stereo algorithm drives it: set up
// once, told about its render target, then asked each frame for work before, inside and after the composition
// pass.
class OverlayRenderer
{
public:
    virtual ~OverlayRenderer() = default;

    virtual void initialize(RenderAlgorithm::SamplesCount samples, uint32_t flags) = 0;
    virtual void release() = 0;
    // Drops what it holds for `target`.
    virtual void releaseRenderTargetResources(RenderTarget *target) = 0;
    // Makes what it needs to draw into `target`; the target it last prepared for is the one it reports.
    virtual void prepare(RenderTarget *target) = 0;
    virtual RenderTarget *renderTarget() const = 0;
    virtual void recordBeforeComposition(TbGpu::CommandRecorder &recorder, uint32_t frameIndex) = 0;
    virtual void recordInComposition(TbGpu::RenderPassCommandRecorder &pass, uint32_t frameIndex) = 0;
    virtual void recordAfterComposition(TbGpu::CommandRecorder &recorder, uint32_t frameIndex) = 0;
};

// Something drawn over the composed image (a heads-up display, a cursor ...).
class AbstractOverlay
{
public:
    virtual ~AbstractOverlay() = default;
    virtual std::unique_ptr<OverlayRenderer> createRenderer(Renderer *renderer) = 0;
};

} // namespace Orvane
