#pragma once

#include <TbGpu/buffer.h>
#include <TbGpu/buffer_options.h>
#include <TbGpu/enums.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace TbGpu {
class CommandRecorder;
class Device;
class Queue;
} // namespace TbGpu

namespace Orvane::Render {

// The handle type of exportable memory on this platform: a Win32 handle on Windows, a file descriptor elsewhere.
#ifdef _WIN32
inline constexpr TbGpu::ExternalMemoryHandleTypeFlagBits ExportableMemoryHandleType =
        TbGpu::ExternalMemoryHandleTypeFlagBits::OpaqueWin32Bit;
#else
inline constexpr TbGpu::ExternalMemoryHandleTypeFlagBits ExportableMemoryHandleType =
        TbGpu::ExternalMemoryHandleTypeFlagBits::OpaqueFdBit;
#endif

// Records commands with `record`, submits them on `queue` and returns once the queue is idle: the uploads the
// storages make when a resource is added or changed are complete when they return.
void submitAndWaitIdle(TbGpu::Device &device, TbGpu::Queue &queue,
                       const std::function<void(TbGpu::CommandRecorder &)> &record);

// A new buffer holding `data` at offset 0 and again at each extra offset (nothing is copied for empty data).
TbGpu::Buffer createBufferWithData(TbGpu::Device &device, TbGpu::Queue &queue, const TbGpu::BufferOptions &options,
                                   const std::vector<uint8_t> &data, const std::vector<uint64_t> &extraOffsets = {});

// Records the image barrier that moves every level and layer of `texture` from `oldLayout` to `newLayout`. Throws
// std::invalid_argument("unsupported layout transition!") for a pair it does not know.
void transitionLayout(TbGpu::CommandRecorder &recorder, const TbGpu::Handle<TbGpu::Texture_t> &texture,
                      TbGpu::Format format, TbGpu::TextureLayout oldLayout, TbGpu::TextureLayout newLayout,
                      uint32_t levels = ~0u, uint32_t layers = ~0u);

} // namespace Orvane::Render
