#pragma once

#include <Orvane/assets/render_state_set.h>
#include <Orvane/core/component.h>

#include <TbBindings/connection_handle.h>
#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbGpu/enums.h>

#include <glm/vec3.hpp>

#include <array>
#include <cstdint>
#include <vector>

namespace Orvane {

class Material;
class Mesh;

// Where the positions sit in a mesh's vertex data, as the renderer's shader reads them.
struct TriangleParsingInfo {
    TbGpu::Format positionFormat = TbGpu::Format::R32G32B32_SFLOAT;
    int32_t vertexBufferIndex = -1; // -1: no usable position data
    uint64_t positionOffset = 0; // bytes from the start of a vertex
    uint64_t stride = 0; // bytes per vertex
    bool indexed = false;

    bool operator==(const TriangleParsingInfo &) const = default;
};

// A sphere in the mesh's local coordinates.
struct BoundingSphere {
    glm::vec3 center{ 0.0f };
    float radius = 0.0f;
};

// Makes its entity visible: a mesh drawn with a material and a render state set, either whole or through
// an explicit list of draw commands. Neither the mesh nor the material is owned; when one of them is
// destroyed while set here the renderer lets go of it (sets null) unless the property is bound.
class MeshRenderer : public Component
{
public:
    // One draw, 36 bytes.
    struct DrawCommand {
        uint32_t count = 0; // indices to draw, or vertices for a mesh without index buffer
        uint32_t instanceCount = 1;
        uint32_t first = 0; // first index, or first vertex
        int32_t vertexOffset = 0; // added to every index read
        uint32_t firstInstance = 0;
        std::array<uint32_t, 4> algorithmData{}; // for the render algorithm; not read here

        bool operator==(const DrawCommand &) const = default;
    };
    static_assert(sizeof(DrawCommand) == 36);

    MeshRenderer();
    ~MeshRenderer() override;

    TbBindings::Property<Mesh *> mesh{ nullptr };
    TbBindings::Property<Material *> material{ nullptr };
    TbBindings::Property<RenderStateSet> renderStateSet;
    // When either is not all zero they give the local bounding sphere instead of the vertex data.
    TbBindings::Property<glm::vec3> localBoundingBoxMin{ glm::vec3(0.0f) };
    TbBindings::Property<glm::vec3> localBoundingBoxMax{ glm::vec3(0.0f) };
    // When false triangleParsingInfo() has nothing to offer (and the bounding sphere is empty).
    TbBindings::Property<bool> boundingVolumeEnabled{ true };
    // Empty: draw the whole mesh.
    TbBindings::Property<std::vector<DrawCommand>> drawCommands;

    // Emitted after a new mesh, material, render state set, draw list or entity, and when the mesh, the
    // material or the render state set announces a change.
    TbBindings::Signal<MeshRenderer *> changed;
    // Emitted at the very start of destruction.
    TbBindings::Signal<MeshRenderer *> destroyed;

    // The empty value: nothing usable.
    static TriangleParsingInfo emptyParsingInfo() { return {}; }

    // Where the material's shader finds "vertexPosition" in the mesh's vertex data. Recomputed lazily after
    // a relevant change; failures are logged (default logger, warn) and give the empty value.
    TriangleParsingInfo triangleParsingInfo();

    // The explicit box's sphere when one is set; otherwise the sphere around the axis-aligned box of every
    // position the draw list reads (radius half the box diagonal); centre 0 and radius 0 without usable
    // vertex data. Vertices outside the mesh's data are skipped (and logged), never read.
    BoundingSphere localBoundingSphere();

private:
    void markChanged();
    void onMaterialChanged(Material *newMaterial);
    void onMeshChanged(Mesh *newMesh);
    void onRenderStateSetChanged();
    TriangleParsingInfo computeParsingInfo() const;

    TbBindings::ConnectionHandle m_materialChangedConnection;
    TbBindings::ConnectionHandle m_materialDestroyedConnection;
    TbBindings::ConnectionHandle m_meshChangedConnection;
    TbBindings::ConnectionHandle m_meshDestroyedConnection;
    TbBindings::ConnectionHandle m_renderStateSetConnection;

    bool m_parsingInfoDirty = false;
    TriangleParsingInfo m_parsingInfo;
};

} // namespace Orvane
