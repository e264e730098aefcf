#pragma once

// The uniform data the stereo forward algorithm keeps for the scene shaders: both eyes' matrices, the lights and
// one world matrix per mesh renderer, in the std140 layouts the shaders declare.

#include <Orvane/render/storages/light_storage.h>

#include <TbGpu/bind_group.h>
#include <TbGpu/buffer.h>

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace Orvane {

class StereoCamera;
class RenderTarget;

namespace Render {
class ResourceDeleter;

// One bind group per frame slot, bound at `set`.
struct BindGroupCollection {
    uint32_t set{ 0 };
    std::vector<TbGpu::BindGroup> bindGroups;
};

// Moves the collection's bind groups into the deleter's current batch (frames in flight may still bind them).
void retire(BindGroupCollection &collection, ResourceDeleter &deleter);

// What a shader resource block stands for, told by the end of its type name.
enum class StandardResourceType : uint32_t {
    None = 0,
    Camera = 1,
    Entity = 2,
    Material = 3,
    Lights = 4,
};

// "...Entity" → Entity, else "...Camera" → Camera, else "...Material" → Material, else "...Lights" → Lights.
StandardResourceType standardResourceType(std::string_view blockTypeName);

} // namespace Render

// The camera block: both eyes' seven matrices, the left eye first.
inline constexpr uint64_t EyeBlockSize = 448;
inline constexpr uint64_t CameraBlockSize = 2 * EyeBlockSize;
// The lights block: eight 80-byte light records, then the number of lights in use.
inline constexpr uint32_t MaxLights = 8;
inline constexpr uint64_t LightCountOffset = MaxLights * sizeof(GpuLight);
inline constexpr uint64_t LightsBlockSize = 656;
// Model matrices of many mesh renderers share one block, bound with a dynamic offset.
inline constexpr uint64_t ModelBlockSize = 16000;
inline constexpr uint64_t ModelMatrixSize = sizeof(glm::mat4);

// What the algorithm knows about one eye for a frame. Position, direction and up are the camera's own, the same
// for both eyes.
struct EyeData {
    glm::vec4 position{ 0.0f, 0.0f, 0.0f, 1.0f };
    glm::vec4 viewDirection{ 0.0f };
    glm::vec4 upVector{ 0.0f };
    glm::vec3 positionPlusViewDirection{ 0.0f };
    glm::mat4 view{ 1.0f };
    glm::mat4 inverseView{ 1.0f };
    glm::mat4 projection{ 1.0f };
    glm::mat4 inverseProjection{ 1.0f };
    glm::mat4 viewProjection{ 1.0f };
    glm::mat4 inverseViewProjection{ 1.0f };
    glm::mat4 viewportMatrix{ 1.0f };
    // Normal (xyz, pointing inside) and distance (w): left, right, bottom, top, near, far.
    std::array<glm::vec4, 6> frustumPlanes{};
};

// The eye seen through `view`, with the camera's lens and the target's pre-transform rotation and extent.
EyeData computeEyeData(const StereoCamera &camera, const RenderTarget &target, const glm::mat4 &view);

// The six normalised clip planes of a view-projection matrix (left, right, bottom, top, near, far).
std::array<glm::vec4, 6> frustumPlanes(const glm::mat4 &viewProjection);

// The viewport transform of a w x h target: normalised device x and y from -1..1 to pixels 0..w and h..0 (the
// flipped viewport the scene pass uses); depth stays 0..1, the viewport's depth range.
glm::mat4 viewportMatrix(float width, float height);

// The 896 bytes of the camera block.
std::array<uint8_t, CameraBlockSize> cameraBlockBytes(const EyeData &left, const EyeData &right);

// The 656 bytes of the lights block: the first eight lights and their count.
std::array<uint8_t, LightsBlockSize> lightsBlockBytes(const std::vector<const GpuLight *> &lights);

// The distance between two model matrices in a block: the smallest multiple of the adapter's uniform buffer offset
// alignment that holds a matrix.
uint64_t modelSlotStride(uint64_t minUniformBufferOffsetAlignment);

// One shared block of model matrices: a GPU buffer, its CPU shadow and which slots are taken.
struct ModelBlock {
    explicit ModelBlock(uint64_t slotStride);

    uint64_t slotCount() const noexcept { return ModelBlockSize / stride; }
    bool empty() const noexcept;
    uint8_t *slot(uint64_t index) { return shadow.data() + index * stride; }

    TbGpu::Buffer buffer; // made lazily, by block maintenance
    std::vector<uint8_t> shadow;
    std::vector<bool> usedSlots;
    uint64_t stride{ 0 };
};

// Where a mesh renderer's model matrix lives.
struct ModelSlot {
    uint64_t blockIndex{ 0 };
    uint64_t slot{ 0 };
};

// The model blocks of the algorithm. Slots are handed out lowest first from the first block with room; blocks that
// empty out are removed at the next maintenance, and the indexes of the blocks behind them move down.
class ModelBlockList
{
public:
    explicit ModelBlockList(uint64_t slotStride = 64)
        : m_stride(slotStride)
    {
    }

    ModelSlot allocate();
    void release(const ModelSlot &slot);
    // Removes every empty block while more than one block exists, retiring its buffer. Returns, for each block
    // before the call, its index after it (an index of a removed block maps to the block that took its place, which
    // no slot refers to); empty when nothing moved.
    std::vector<uint64_t> removeEmptyBlocks(Render::ResourceDeleter &deleter);

    std::vector<ModelBlock> &blocks() noexcept { return m_blocks; }
    const std::vector<ModelBlock> &blocks() const noexcept { return m_blocks; }
    uint64_t stride() const noexcept { return m_stride; }
    void clear() { m_blocks.clear(); }

private:
    uint64_t m_stride;
    std::vector<ModelBlock> m_blocks;
};

} // namespace Orvane
