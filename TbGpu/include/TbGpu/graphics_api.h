#pragma once

namespace TbGpu {

class ResourceManager;

// The entry point of the library: it owns (in its backend subclass) the resource manager through which every
// front object reaches its record. It must outlive every front object made through it.
class GraphicsApi
{
public:
    virtual ~GraphicsApi() = default;

    ResourceManager *resourceManager() const noexcept { return m_resourceManager; }

protected:
    GraphicsApi() = default;
    GraphicsApi(const GraphicsApi &) = delete;
    GraphicsApi &operator=(const GraphicsApi &) = delete;

    ResourceManager *m_resourceManager{ nullptr };
};

} // namespace TbGpu
