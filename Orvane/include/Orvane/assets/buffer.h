#pragma once

#include <TbBindings/create_binding.h>
#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbFoundation/object.h>
#include <TbGpu/enums.h>
#include <TbGpu/gpu_core.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Orvane {

// The CPU-side description of a GPU buffer. The render aspect keeps a GPU copy of every buffer that a mesh
// or a material refers to; every change that matters to that copy is announced through `changed`.
class Buffer : public TbFoundation::Object
{
public:
    // Writes a host-visible buffer's contents for one frame: it is called with the address of the current
    // frame slot's copy inside the mapped GPU memory. Two mappers are equal when they hold the same
    // callable (copies of one mapper), or when both are empty.
    class Mapper
    {
    public:
        using Callable = std::function<void(void *)>;

        Mapper() = default;
        explicit Mapper(Callable callable);

        bool hasCallable() const noexcept { return m_callable != nullptr; }
        explicit operator bool() const noexcept { return hasCallable(); }
        // Does nothing for an empty mapper.
        void operator()(void *mappedAddress) const;

        bool operator==(const Mapper &other) const noexcept { return m_callable == other.m_callable; }

    private:
        std::shared_ptr<const Callable> m_callable;
    };

    Buffer();
    ~Buffer() override;

    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;

    // Emitted after a new memoryUsage, usage, size, data, dataMapper or exportMemory; a new data that
    // raises size emits once.
    TbBindings::Signal<Buffer *> changed;
    // Emitted at the very start of destruction.
    TbBindings::Signal<Buffer *> destroyed;

    TbBindings::Property<TbGpu::MemoryUsage> memoryUsage{ TbGpu::MemoryUsage::Unknown };
    TbBindings::Property<TbGpu::BufferUsageFlags> usage;
    // Read-only: true for CPU-only, CPU-to-GPU and GPU-to-CPU memory with a transfer usage bit.
    TbBindings::Property<bool> hostVisible;
    // Bytes. A new `data` longer than this raises it; it never shrinks by itself.
    TbBindings::Property<uint64_t> size{ 0 };
    // The initial contents to upload.
    TbBindings::Property<std::vector<uint8_t>> data;
    // Only meaningful for host-visible buffers: the GPU copy is then written through it every frame.
    TbBindings::Property<Mapper> dataMapper;
    // When true the GPU copy is allocated as exportable memory and its handle lands in externalMemoryHandle.
    TbBindings::Property<bool> exportMemory{ false };
    // Written by the GPU storage, not by users.
    TbBindings::Property<TbGpu::MemoryHandle> externalMemoryHandle;

    static bool isHostVisible(TbGpu::MemoryUsage memoryUsage, TbGpu::BufferUsageFlags usage) noexcept;

private:
    void onDataChanged(const std::vector<uint8_t> &newData);

    // Set while a new `data` raises `size`, so that the two changes are announced once.
    bool m_raisingSizeForData = false;
};

// A buffer whose memory kind and usage are fixed by its type: both base properties are bound to the preset
// values and so read-only.
template<TbGpu::MemoryUsage M, TbGpu::BufferUsageFlagBits U1, TbGpu::BufferUsageFlagBits U2>
class PresetBuffer : public Buffer
{
public:
    PresetBuffer()
    {
        memoryUsage = TbBindings::createBinding(presetMemoryUsage);
        usage = TbBindings::createBinding(presetUsage);
    }

    TbBindings::Property<TbGpu::MemoryUsage> presetMemoryUsage{ M };
    TbBindings::Property<TbGpu::BufferUsageFlags> presetUsage{ TbGpu::BufferUsageFlags(U1) |
                                                               TbGpu::BufferUsageFlags(U2) };
};

// The three kinds of buffer the engine creates: GPU-only memory filled by transfers.
using UniformBuffer = PresetBuffer<TbGpu::MemoryUsage::GpuOnly, TbGpu::BufferUsageFlagBits::TransferDstBit,
                                   TbGpu::BufferUsageFlagBits::UniformBufferBit>;
using IndexBuffer = PresetBuffer<TbGpu::MemoryUsage::GpuOnly, TbGpu::BufferUsageFlagBits::TransferDstBit,
                                 TbGpu::BufferUsageFlagBits::IndexBufferBit>;
using VertexBuffer = PresetBuffer<TbGpu::MemoryUsage::GpuOnly, TbGpu::BufferUsageFlagBits::TransferDstBit,
                                  TbGpu::BufferUsageFlagBits::VertexBufferBit>;

} // namespace Orvane
