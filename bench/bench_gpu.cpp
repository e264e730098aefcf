// TbGpu: the cost of naming records by handles, and of creating and destroying small buffers through the
// library's memory allocator, which sub-allocates them from shared blocks, against one VkDeviceMemory per buffer.
// Runs on whatever Vulkan device the machine offers (lavapipe on CPU-only machines), without validation.
#include "vulkan/memory_allocator.h"
#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/instance.h>
#include <TbGpu/pool.h>
#include <TbGpu/utils/logging.h>
#include <TbGpu/vulkan/vulkan_graphics_api.h>

#include <benchmark/benchmark.h>

#include <spdlog/spdlog.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

struct Record {
    uint64_t payload[4];
};
struct Tag { };

constexpr int RecordCount = 4096;

// Look up every live record once, in a shuffled order.
void BM_HandleLookup_Pool(benchmark::State &state)
{
    TbGpu::Pool<Record, Tag> pool(128);
    std::vector<TbGpu::Handle<Tag>> handles;
    for (int i = 0; i < RecordCount; ++i)
        handles.push_back(pool.insert(Record{ { uint64_t(i), 0, 0, 0 } }));
    std::shuffle(handles.begin(), handles.end(), std::mt19937(7));
    for (auto _ : state) {
        uint64_t sum = 0;
        for (const auto &handle : handles)
            sum += pool.get(handle)->payload[0];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * RecordCount);
}

void BM_HandleLookup_UnorderedMap(benchmark::State &state)
{
    std::unordered_map<uint64_t, Record> map;
    std::vector<uint64_t> keys;
    for (int i = 0; i < RecordCount; ++i) {
        const uint64_t key = (uint64_t(1) << 32) | uint64_t(i);
        map.emplace(key, Record{ { uint64_t(i), 0, 0, 0 } });
        keys.push_back(key);
    }
    std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
    for (auto _ : state) {
        uint64_t sum = 0;
        for (uint64_t key : keys)
            sum += map.find(key)->second.payload[0];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * RecordCount);
}

// A device without validation, opened once for the allocator benchmarks.
struct GpuDevice {
    GpuDevice()
    {
        spdlog::set_level(spdlog::level::warn);
        TbGpu::Logger::logger()->set_level(spdlog::level::warn);
        instance = TbGpu::Instance(&api, TbGpu::InstanceOptions{});
        const auto type = instance.selectAdapter(TbGpu::AdapterDeviceType::Default) ? TbGpu::AdapterDeviceType::Default
                                                                                    : TbGpu::AdapterDeviceType::Cpu;
        TbGpu::DefaultDevice opened = instance.createDefaultDevice(TbGpu::Surface{}, type);
        adapter = opened.adapter;
        device = std::move(opened.device);
    }
    ~GpuDevice()
    {
        device = {};
        instance = {};
    }
    std::unique_ptr<TbGpu::MemoryAllocator> allocator(VkDeviceSize blockSize)
    {
        TbGpu::MemoryAllocator::CreateInfo info;
        info.physicalDevice = api.vulkanResourceManager()->getAdapter(adapter->handle())->physicalDevice;
        info.device = api.vulkanResourceManager()->getDevice(device.handle())->device;
        info.preferredBlockSize = blockSize;
        std::unique_ptr<TbGpu::MemoryAllocator> result;
        TbGpu::MemoryAllocator::create(info, result);
        return result;
    }

    TbGpu::VulkanGraphicsApi api;
    TbGpu::Instance instance;
    TbGpu::Adapter *adapter{ nullptr };
    TbGpu::Device device;
};

GpuDevice &gpu()
{
    static GpuDevice device;
    return device;
}

// Create 64 uniform buffers of 4 KiB, then destroy them; a block size of 1 byte makes every buffer take
// memory of its own (one vkAllocateMemory and vkFreeMemory each).
void bufferChurn(benchmark::State &state, VkDeviceSize blockSize)
{
    auto allocator = gpu().allocator(blockSize);
    VkBufferCreateInfo info{ VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO };
    info.size = 4096;
    info.usage = VK_BUFFER_USAGE_UNIFORM_BUFFER_BIT;
    info.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
    // One buffer stays alive so the shared block is not given back between iterations.
    VkBuffer keep = VK_NULL_HANDLE;
    TbGpu::MemoryAllocation *keepAllocation = nullptr;
    allocator->createBuffer(info, { TbGpu::MemoryUsage::CpuToGpu, {} }, &keep, &keepAllocation);
    std::vector<VkBuffer> buffers(64);
    std::vector<TbGpu::MemoryAllocation *> allocations(64);
    for (auto _ : state) {
        for (size_t i = 0; i < buffers.size(); ++i) {
            if (allocator->createBuffer(info, { TbGpu::MemoryUsage::CpuToGpu, {} }, &buffers[i], &allocations[i]) !=
                VK_SUCCESS)
                state.SkipWithError("buffer creation failed");
        }
        for (size_t i = 0; i < buffers.size(); ++i)
            allocator->destroyBuffer(buffers[i], allocations[i]);
    }
    allocator->destroyBuffer(keep, keepAllocation);
    state.SetItemsProcessed(state.iterations() * 64);
}

void BM_BufferChurn_SubAllocated(benchmark::State &state)
{
    bufferChurn(state, 0);
}

void BM_BufferChurn_MemoryPerBuffer(benchmark::State &state)
{
    bufferChurn(state, 1);
}

} // namespace

BENCHMARK(BM_HandleLookup_Pool)->Name("gpu_handle_lookup/pool");
BENCHMARK(BM_HandleLookup_UnorderedMap)->Name("gpu_handle_lookup/unordered_map");
BENCHMARK(BM_BufferChurn_SubAllocated)->Name("gpu_buffer_churn/sub_allocated");
BENCHMARK(BM_BufferChurn_MemoryPerBuffer)->Name("gpu_buffer_churn/memory_per_buffer");

BENCHMARK_MAIN();
