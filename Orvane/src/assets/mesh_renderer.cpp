#include <Orvane/assets/mesh_renderer.h>

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/shader_program.h>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <spdlog/spdlog.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace Orvane {

namespace {

using TbGpu::Format;

// The formats a position may have, in the order they are tested, with the size of one component.
struct PositionFormat {
    Format format;
    std::size_t componentSize;
};
constexpr PositionFormat PositionFormats[] = {
    { Format::R8G8B8_SINT, 1 },      { Format::R8G8B8_UINT, 1 },    { Format::R16G16B16_SINT, 2 },
    { Format::R16G16B16_UINT, 2 },   { Format::R32G32B32_SINT, 4 }, { Format::R32G32B32_UINT, 4 },
    { Format::R32G32B32_SFLOAT, 4 },
};

std::size_t positionComponentSize(Format format)
{
    for (const auto &candidate : PositionFormats) {
        if (candidate.format == format)
            return candidate.componentSize;
    }
    return 0;
}

template<typename T>
float readComponent(const uint8_t *bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return float(value);
}

// Reads a position of `format` at `bytes` (three components of `componentSize` bytes each).
glm::vec3 readPosition(Format format, const uint8_t *bytes, std::size_t componentSize)
{
    glm::vec3 position;
    for (int i = 0; i < 3; ++i) {
        const uint8_t *component = bytes + std::size_t(i) * componentSize;
        switch (format) {
        case Format::R8G8B8_SINT:
            position[i] = readComponent<int8_t>(component);
            break;
        case Format::R8G8B8_UINT:
            position[i] = readComponent<uint8_t>(component);
            break;
        case Format::R16G16B16_SINT:
            position[i] = readComponent<int16_t>(component);
            break;
        case Format::R16G16B16_UINT:
            position[i] = readComponent<uint16_t>(component);
            break;
        case Format::R32G32B32_SINT:
            position[i] = readComponent<int32_t>(component);
            break;
        case Format::R32G32B32_UINT:
            position[i] = readComponent<uint32_t>(component);
            break;
        default:
            position[i] = readComponent<float>(component);
            break;
        }
    }
    return position;
}

bool anyNonZero(const glm::vec3 &v)
{
    // A NaN compares unequal to zero, so it counts as set.
    return v.x != 0.0f || v.y != 0.0f || v.z != 0.0f;
}

} // namespace

MeshRenderer::MeshRenderer()
{
    drawCommands.valueChanged().connect([this](const std::vector<DrawCommand> &) { markChanged(); });
    entity.valueChanged().connect([this](Entity *const &) { markChanged(); });
    material.valueChanged().connect([this](Material *const &newMaterial) { onMaterialChanged(newMaterial); });
    mesh.valueChanged().connect([this](Mesh *const &newMesh) { onMeshChanged(newMesh); });
    renderStateSet.valueChanged().connect([this](const RenderStateSet &) { onRenderStateSetChanged(); });
    // The cached parsing info depends on this switch too; nothing else needs to hear about it.
    boundingVolumeEnabled.valueChanged().connect([this](const bool &) { m_parsingInfoDirty = true; });
    m_renderStateSetConnection = renderStateSet.get().changed().connect([this] { markChanged(); });
}

MeshRenderer::~MeshRenderer()
{
    destroyed.emit(this);
    m_materialChangedConnection.disconnect();
    m_materialDestroyedConnection.disconnect();
    m_meshChangedConnection.disconnect();
    m_meshDestroyedConnection.disconnect();
    m_renderStateSetConnection.disconnect();
}

void MeshRenderer::markChanged()
{
    m_parsingInfoDirty = true;
    changed.emit(this);
}

void MeshRenderer::onMaterialChanged(Material *newMaterial)
{
    m_materialChangedConnection.disconnect();
    m_materialDestroyedConnection.disconnect();
    if (newMaterial) {
        m_materialChangedConnection = newMaterial->changed.connect([this](Material *) { markChanged(); });
        m_materialDestroyedConnection = newMaterial->destroyed.connect([this](Material *) {
            m_materialChangedConnection.disconnect();
            m_materialDestroyedConnection.disconnect();
            if (!material.isReadOnly())
                material = nullptr;
        });
    }
    markChanged();
}

void MeshRenderer::onMeshChanged(Mesh *newMesh)
{
    m_meshChangedConnection.disconnect();
    m_meshDestroyedConnection.disconnect();
    if (newMesh) {
        m_meshChangedConnection = newMesh->changed.connect([this](Mesh *) { markChanged(); });
        m_meshDestroyedConnection = newMesh->destroyed.connect([this](Mesh *) {
            m_meshChangedConnection.disconnect();
            m_meshDestroyedConnection.disconnect();
            if (!mesh.isReadOnly())
                mesh = nullptr;
        });
    }
    markChanged();
}

void MeshRenderer::onRenderStateSetChanged()
{
    m_renderStateSetConnection.disconnect();
    m_renderStateSetConnection = renderStateSet.get().changed().connect([this] { markChanged(); });
    markChanged();
}

TriangleParsingInfo MeshRenderer::triangleParsingInfo()
{
    if (!m_parsingInfoDirty)
        return m_parsingInfo;
    m_parsingInfoDirty = false;
    m_parsingInfo = computeParsingInfo();
    return m_parsingInfo;
}

TriangleParsingInfo MeshRenderer::computeParsingInfo() const
{
    const Material *currentMaterial = material.get();
    const Mesh *currentMesh = mesh.get();
    if (!boundingVolumeEnabled.get() || !currentMaterial || !currentMesh || !currentMaterial->shaderProgram.get())
        return emptyParsingInfo();

    const auto &attributes = currentMaterial->shaderProgram.get()->vertexAttributes();
    const auto positionInput = std::find_if(attributes.begin(), attributes.end(), [](const ShaderAttribute &attribute) {
        return attribute.name == "vertexPosition";
    });
    // Locations are unsigned here; one above the signed range stands for a negative location.
    if (positionInput == attributes.end() || int32_t(positionInput->location) < 0) {
        SPDLOG_WARN("Unable to find vertexPosition attribute to compute mesh local BV");
        return emptyParsingInfo();
    }

    const TbGpu::VertexOptions &vertexFormat = currentMesh->vertexFormat.get();
    const auto attribute = std::find_if(
            vertexFormat.attributes.begin(), vertexFormat.attributes.end(),
            [&](const TbGpu::VertexAttribute &candidate) { return candidate.location == positionInput->location; });
    if (attribute == vertexFormat.attributes.end()) {
        SPDLOG_WARN("Unable to find vertexPosition attribute in vertexFormat for location {}. Unable to compute mesh "
                    "local BV",
                    positionInput->location);
        return emptyParsingInfo();
    }

    if (attribute->binding >= vertexFormat.buffers.size()) {
        SPDLOG_WARN("Unable to find binding for vertexPosition attribute in vertexFormat for binding idx {}. Unable to "
                    "compute mesh local BV",
                    attribute->binding);
        return emptyParsingInfo();
    }
    const TbGpu::VertexBufferLayout &layout = vertexFormat.buffers[attribute->binding];

    if (positionComponentSize(attribute->format) == 0) {
        SPDLOG_WARN("VertexPosition attribute has unexpected Format type {}. Unable to compute mesh local BV",
                    uint32_t(attribute->format));
        return emptyParsingInfo();
    }

    if (layout.binding >= currentMesh->vertexBuffers.get().size()) {
        SPDLOG_WARN("Unable to find vertex data for vertexPosition attribute with binding {}. Unable to compute mesh "
                    "local BV",
                    layout.binding);
        return emptyParsingInfo();
    }

    TriangleParsingInfo info;
    info.positionFormat = attribute->format;
    info.vertexBufferIndex = int32_t(layout.binding);
    info.positionOffset = attribute->offset;
    info.stride = layout.stride;
    info.indexed = currentMesh->indexBuffer.get() != nullptr;
    return info;
}

BoundingSphere MeshRenderer::localBoundingSphere()
{
    const glm::vec3 boxMin = localBoundingBoxMin.get();
    const glm::vec3 boxMax = localBoundingBoxMax.get();
    if (anyNonZero(boxMin) || anyNonZero(boxMax))
        return { (boxMin + boxMax) * 0.5f, glm::length(boxMax - boxMin) * 0.5f };

    const TriangleParsingInfo info = triangleParsingInfo();
    if (info.vertexBufferIndex < 0)
        return {};

    const Mesh *currentMesh = mesh.get();
    const Buffer *vertexBuffer = currentMesh->vertexBuffers.get()[std::size_t(info.vertexBufferIndex)];
    if (!vertexBuffer)
        return {};
    const std::vector<uint8_t> &vertexBytes = vertexBuffer->data.get();

    const Buffer *indexBuffer = info.indexed ? currentMesh->indexBuffer.get() : nullptr;
    const std::vector<uint8_t> *indexBytes = indexBuffer ? &indexBuffer->data.get() : nullptr;
    uint64_t defaultCount = 0;
    if (indexBuffer)
        defaultCount = indexBuffer->size.get() / sizeof(uint32_t);
    else if (info.stride > 0)
        defaultCount = vertexBytes.size() / info.stride;

    std::vector<DrawCommand> commands = drawCommands.get();
    if (commands.empty()) {
        DrawCommand whole;
        whole.count = uint32_t(std::min<uint64_t>(defaultCount, std::numeric_limits<uint32_t>::max()));
        commands.push_back(whole);
    }

    const std::size_t componentSize = positionComponentSize(info.positionFormat);
    const std::size_t positionSize = 3 * componentSize;
    const std::size_t indexCount = indexBytes ? indexBytes->size() / sizeof(uint32_t) : 0;

    glm::vec3 minimum(std::numeric_limits<float>::max());
    glm::vec3 maximum(-std::numeric_limits<float>::max());
    uint64_t skipped = 0;
    for (const DrawCommand &command : commands) {
        for (uint64_t i = 0; i < command.count; ++i) {
            const uint64_t position = uint64_t(command.first) + i;
            int64_t vertexNumber = int64_t(position);
            if (indexBytes) {
                if (position >= indexCount) {
                    ++skipped;
                    continue;
                }
                uint32_t index;
                std::memcpy(&index, indexBytes->data() + position * sizeof(uint32_t), sizeof(index));
                vertexNumber = int64_t(index) + command.vertexOffset;
            }
            if (componentSize == 0) {
                SPDLOG_WARN("Unsupported vertex format {}. Unable to compute mesh local BV",
                            uint32_t(info.positionFormat));
                continue;
            }
            // Offsets are checked before they are formed, so that no vertex outside the data is read.
            if (vertexNumber < 0 || info.positionOffset > vertexBytes.size() ||
                (info.stride > 0 && uint64_t(vertexNumber) > vertexBytes.size() / info.stride + 1)) {
                ++skipped;
                continue;
            }
            const uint64_t start = uint64_t(vertexNumber) * info.stride + info.positionOffset;
            if (start > vertexBytes.size() || vertexBytes.size() - start < positionSize) {
                ++skipped;
                continue;
            }
            const glm::vec3 vertex = readPosition(info.positionFormat, vertexBytes.data() + start, componentSize);
            minimum = glm::min(minimum, vertex);
            maximum = glm::max(maximum, vertex);
        }
    }
    if (skipped > 0)
        SPDLOG_WARN("Skipped {} vertices outside the mesh data while computing the mesh local BV", skipped);

    return { (minimum + maximum) * 0.5f, glm::length(maximum - minimum) * 0.5f };
}

} // namespace Orvane
