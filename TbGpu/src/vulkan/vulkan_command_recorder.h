#pragma once

#include <TbGpu/api/api_command_recorder.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;
struct VulkanDevice;

// The command-recorders-pool record. Its commands resolve their handles without checks: callers pass live ones.
struct VulkanCommandRecorder : public ApiCommandRecorder {
    VulkanCommandRecorder() = default;
    VulkanCommandRecorder(VkCommandPool pool, VkCommandBuffer buffer, const Handle<CommandBuffer_t> &bufferHandle,
                          VulkanResourceManager *manager, const Handle<Device_t> &device)
        : commandPool(pool)
        , commandBuffer(buffer)
        , commandBufferHandle(bufferHandle)
        , vulkanResourceManager(manager)
        , deviceHandle(device)
    {
    }

    void begin() override;
    void blitTexture(const TextureBlit &blit) override;
    void clearBuffer(const BufferClear &clear) override;
    void clearColorTexture(const ClearColorTexture &clear) override;
    void clearDepthStencilTexture(const ClearDepthStencilTexture &clear) override;
    void copyBuffer(const BufferCopy &copy) override;
    void copyBufferToTexture(const BufferToTextureCopy &copy) override;
    void copyTextureToBuffer(const TextureToBufferCopy &copy) override;
    void copyTextureToTexture(const TextureToTextureCopy &copy) override;
    void updateBuffer(const BufferUpdate &update) override;
    // Synchronization2 barriers when the device has them, else legacy barriers with the masks narrowed to 32 bits.
    void memoryBarrier(const MemoryBarrierOptions &options) override;
    void bufferMemoryBarrier(const BufferMemoryBarrierOptions &options) override;
    void textureMemoryBarrier(const TextureMemoryBarrierOptions &options) override;
    void executeSecondaryCommandBuffer(const Handle<CommandBuffer_t> &secondary) override;
    void resolveTexture(const TextureResolve &resolve) override;
    Handle<CommandBuffer_t> finish() override;

    VkCommandPool commandPool{ VK_NULL_HANDLE };
    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    Handle<CommandBuffer_t> commandBufferHandle;
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    bool finished{ false }; // after finish() the command buffer belongs to whoever took its handle
    uint32_t passViewCount{ 0 }; // views of the render pass being recorded; 0 outside a pass

private:
    // Through vkCmdPipelineBarrier2KHR where the device has it, else converted to one legacy barrier.
    void pipelineBarrier(const VkDependencyInfo &dependency);
    VkImage image(const Handle<Texture_t> &texture) const;
    VkBuffer buffer(const Handle<Buffer_t> &buffer) const;
    VulkanDevice *device() const;
};

} // namespace TbGpu
