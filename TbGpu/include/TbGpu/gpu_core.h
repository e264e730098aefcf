#pragma once

#include <TbGpu/enums.h>

#include <cstdint>
#include <variant>

namespace TbGpu {

// How an allocation will be used; the allocator picks a memory type from it. The numbers are the ones memory
// allocators for Vulkan conventionally give these usages.
enum class MemoryUsage : uint32_t {
    Unknown = 0,
    GpuOnly = 1,
    CpuOnly = 2,
    CpuToGpu = 3,
    GpuToCpu = 4,
    CpuCopy = 5,
    GpuLazilyAllocated = 6,
    MaxEnum = 0x7FFFFFFF
};

enum class TextureType : uint32_t {
    TextureType1D = 0,
    TextureType2D = 1,
    TextureType3D = 2,
    TextureTypeCube = 3, // a 2D image that can be viewed as a cube
    MaxEnum = 0x7FFFFFFF
};

// Values 0 to 4 equal Vulkan's physical device types. Default is a selection wish (a discrete GPU, else an
// integrated one), never a property; MaxEnum marks an unknown type.
enum class AdapterDeviceType : uint32_t {
    Other = 0,
    IntegratedGpu = 1,
    DiscreteGpu = 2,
    VirtualGpu = 3,
    Cpu = 4,
    Default = 0x7FFFFFFE,
    MaxEnum = 0x7FFFFFFF
};

struct Extent2D {
    uint32_t width{ 0 };
    uint32_t height{ 0 };
    bool operator==(const Extent2D &) const = default;
};

struct Extent3D {
    uint32_t width{ 0 };
    uint32_t height{ 0 };
    uint32_t depth{ 1 };
    bool operator==(const Extent3D &) const = default;
};

// An exported memory or semaphore handle. Empty unless an export was requested and the device can export;
// POSIX platforms export a file descriptor, Windows a HANDLE. The receiver owns what it is given.
struct FileDescriptorHandle {
    int fd{ -1 };
    bool operator==(const FileDescriptorHandle &) const = default;
};
struct Win32Handle {
    void *handle{ nullptr };
    bool operator==(const Win32Handle &) const = default;
};
using MemoryHandle = std::variant<std::monostate, FileDescriptorHandle, Win32Handle>;

struct TextureSubresourceRange {
    uint32_t aspectMask{ 0 };
    uint32_t baseMipLevel{ 0 };
    uint32_t levelCount{ 1 };
    uint32_t baseArrayLayer{ 0 };
    uint32_t layerCount{ 1 };
    bool operator==(const TextureSubresourceRange &) const = default;
};

struct TextureSubresource {
    TextureAspectFlags aspectMask{ TextureAspectFlagBits::ColorBit };
    uint32_t mipLevel{ 0 };
    uint32_t arrayLayer{ 0 };
};

struct SubresourceLayout {
    uint64_t offset{ 0 };
    uint64_t size{ 0 };
    uint64_t rowPitch{ 0 };
    uint64_t arrayPitch{ 0 };
    uint64_t depthPitch{ 0 };
};

} // namespace TbGpu
