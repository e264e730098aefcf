#include <Orvane/render/stereo_frame_data.h>

#include <Orvane/camera/abstract_lens.h>
#include <Orvane/camera/camera_lens.h>
#include <Orvane/camera/stereo_camera.h>
#include <Orvane/render/render_target.h>
#include <Orvane/render/resource_deleter.h>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/matrix.hpp>

#include <algorithm>
#include <cstring>

namespace Orvane {

namespace Render {

void retire(BindGroupCollection &collection, ResourceDeleter &deleter)
{
    if (collection.bindGroups.empty())
        return;
    DeletionBatch &batch = deleter.currentBatch();
    for (TbGpu::BindGroup &group : collection.bindGroups) {
        if (group.isValid())
            batch.bindGroups.push_back(std::move(group));
    }
    collection.bindGroups.clear();
}

StandardResourceType standardResourceType(std::string_view name)
{
    if (name.ends_with("Entity"))
        return StandardResourceType::Entity;
    if (name.ends_with("Camera"))
        return StandardResourceType::Camera;
    if (name.ends_with("Material"))
        return StandardResourceType::Material;
    if (name.ends_with("Lights"))
        return StandardResourceType::Lights;
    return StandardResourceType::None;
}

} // namespace Render

namespace {

// The surface pre-transform as a rotation about the viewing axis: 0, 90, 180 or 270 degrees.
glm::mat4 preTransformRotation(uint32_t rotationCode)
{
    if (rotationCode == RenderTarget::RotationNone || rotationCode > RenderTarget::Rotation270)
        return glm::mat4(1.0f);
    return glm::rotate(glm::mat4(1.0f), glm::radians(90.0f * float(rotationCode)), glm::vec3(0.0f, 0.0f, -1.0f));
}

void copyMatrix(uint8_t *destination, const glm::mat4 &matrix)
{
    std::memcpy(destination, &matrix[0][0], sizeof(glm::mat4));
}

} // namespace

std::array<glm::vec4, 6> frustumPlanes(const glm::mat4 &m)
{
    // Rows of the matrix (glm stores columns).
    const glm::vec4 r0(m[0][0], m[1][0], m[2][0], m[3][0]);
    const glm::vec4 r1(m[0][1], m[1][1], m[2][1], m[3][1]);
    const glm::vec4 r2(m[0][2], m[1][2], m[2][2], m[3][2]);
    const glm::vec4 r3(m[0][3], m[1][3], m[2][3], m[3][3]);
    // Clip depth runs from 0 to 1 (not -1 to 1): the near plane is z >= 0, row 2 alone.
    std::array<glm::vec4, 6> planes{ r3 + r0, r3 - r0, r3 + r1, r3 - r1, r2, r3 - r2 };
    for (glm::vec4 &plane : planes) {
        const float length = glm::length(glm::vec3(plane));
        if (length > 0.0f)
            plane /= length;
    }
    return planes;
}

glm::mat4 viewportMatrix(float width, float height)
{
    glm::mat4 m(1.0f);
    m[0][0] = width / 2.0f;
    m[1][1] = -height / 2.0f; // the scene pass flips its viewport so that +y is up on screen
    m[3][0] = width / 2.0f;
    m[3][1] = height / 2.0f;
    return m;
}

EyeData computeEyeData(const StereoCamera &camera, const RenderTarget &target, const glm::mat4 &view)
{
    EyeData eye;
    eye.position = glm::vec4(camera.position.get(), 1.0f);
    eye.viewDirection = glm::vec4(camera.viewDirection.get(), 0.0f);
    eye.upVector = glm::vec4(camera.upVector.get(), 0.0f);
    eye.positionPlusViewDirection = camera.position.get() + camera.viewDirection.get();

    eye.view = view;
    eye.inverseView = glm::inverse(view);
    const CameraLens *lens = camera.lens();
    const glm::mat4 lensProjection = lens ? lens->projectionMatrix.get() : glm::mat4(1.0f);
    eye.projection = preTransformRotation(target.rotation) * lensProjection;
    eye.inverseProjection = glm::inverse(eye.projection);
    eye.viewProjection = eye.projection * eye.view;
    eye.inverseViewProjection = glm::inverse(eye.viewProjection);
    eye.viewportMatrix = viewportMatrix(float(target.extent.width), float(target.extent.height));
    eye.frustumPlanes = frustumPlanes(eye.viewProjection);
    return eye;
}

std::array<uint8_t, CameraBlockSize> cameraBlockBytes(const EyeData &left, const EyeData &right)
{
    std::array<uint8_t, CameraBlockSize> bytes{};
    for (const auto &[eye, base] : { std::pair{ &left, uint64_t(0) }, std::pair{ &right, EyeBlockSize } }) {
        const glm::mat4 *matrices[] = { &eye->view,           &eye->inverseView,
                                        &eye->projection,     &eye->inverseProjection,
                                        &eye->viewProjection, &eye->inverseViewProjection,
                                        &eye->viewportMatrix };
        for (std::size_t i = 0; i < std::size(matrices); ++i)
            copyMatrix(bytes.data() + base + i * ModelMatrixSize, *matrices[i]);
    }
    return bytes;
}

std::array<uint8_t, LightsBlockSize> lightsBlockBytes(const std::vector<const GpuLight *> &lights)
{
    std::array<uint8_t, LightsBlockSize> bytes{};
    const uint32_t count = uint32_t(std::min<std::size_t>(lights.size(), MaxLights));
    for (uint32_t i = 0; i < count; ++i)
        std::memcpy(bytes.data() + i * sizeof(GpuLight), lights[i], sizeof(GpuLight));
    std::memcpy(bytes.data() + LightCountOffset, &count, sizeof(count));
    return bytes;
}

uint64_t modelSlotStride(uint64_t alignment)
{
    if (alignment <= 1)
        return ModelMatrixSize;
    return (ModelMatrixSize + alignment - 1) / alignment * alignment;
}

ModelBlock::ModelBlock(uint64_t slotStride)
    : shadow(ModelBlockSize, 0)
    , usedSlots(ModelBlockSize / slotStride, false)
    , stride(slotStride)
{
}

bool ModelBlock::empty() const noexcept
{
    return std::none_of(usedSlots.begin(), usedSlots.end(), [](bool used) { return used; });
}

ModelSlot ModelBlockList::allocate()
{
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        std::vector<bool> &used = m_blocks[b].usedSlots;
        const auto free = std::find(used.begin(), used.end(), false);
        if (free != used.end()) {
            *free = true;
            return { b, uint64_t(free - used.begin()) };
        }
    }
    ModelBlock &block = m_blocks.emplace_back(m_stride);
    block.usedSlots[0] = true;
    return { m_blocks.size() - 1, 0 };
}

void ModelBlockList::release(const ModelSlot &slot)
{
    if (slot.blockIndex < m_blocks.size() && slot.slot < m_blocks[slot.blockIndex].usedSlots.size())
        m_blocks[slot.blockIndex].usedSlots[slot.slot] = false;
}

std::vector<uint64_t> ModelBlockList::removeEmptyBlocks(Render::ResourceDeleter &deleter)
{
    std::vector<uint64_t> newIndex(m_blocks.size());
    std::vector<ModelBlock> kept;
    bool removedAny = false;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        // The last remaining block stays even when empty: the next mesh renderer needs one anyway.
        const bool lastStanding = kept.empty() && b + 1 == m_blocks.size();
        if (m_blocks[b].empty() && !lastStanding) {
            if (m_blocks[b].buffer.isValid())
                deleter.currentBatch().buffers.push_back(std::move(m_blocks[b].buffer));
            newIndex[b] = kept.size();
            removedAny = true;
            continue;
        }
        newIndex[b] = kept.size();
        kept.push_back(std::move(m_blocks[b]));
    }
    m_blocks = std::move(kept);
    if (!removedAny)
        return {};
    return newIndex;
}

} // namespace Orvane
