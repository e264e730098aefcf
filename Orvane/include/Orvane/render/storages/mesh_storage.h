#pragma once

#include <Orvane/render/frames_in_flight.h>
#include <Orvane/render/storages/resource_storage.h>

#include <TbGpu/handle.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class Mesh;

// What drawing a mesh needs: its buffers' GPU handles and, per frame slot, where each binding starts.
struct MeshRecord {
    std::vector<TbGpu::Handle<TbGpu::Buffer_t>> vertexBuffers{ 1 };
    std::array<std::vector<uint64_t>, MaxFramesInFlight> vertexBufferOffsets;
    uint32_t indexCount{ 0 };
    uint32_t indexType{ 1 }; // 32-bit unsigned indices
    TbGpu::Handle<TbGpu::Buffer_t> indexBuffer;
    std::array<uint64_t, MaxFramesInFlight> indexBufferOffsets{};
    bool indexed{ false };
    uint32_t vertexCount{ 0 };
};

// Mesh records hold no GPU objects of their own; they refer to the buffer storage's records, which are synced
// before the meshes.
class MeshStorage : public ResourceStorage<Mesh, MeshRecord>
{
public:
    explicit MeshStorage(Renderer *renderer);
    ~MeshStorage() override;

    void add(Mesh *mesh);
    void update(Mesh *mesh);
    void remove(Mesh *mesh);
    void clear();

private:
    void sync(Mesh *mesh, MeshRecord &record);

    std::shared_ptr<spdlog::logger> m_logger;
};

} // namespace Orvane
