#include <TbGpu/adapter.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

Adapter::Adapter(GraphicsApi *api, const Handle<Adapter_t> &adapter)
    : m_api(api)
    , m_adapter(adapter)
{
    if (ApiAdapter *record = m_api->resourceManager()->getAdapter(m_adapter)) {
        m_features = record->queryAdapterFeatures();
        m_properties = record->queryAdapterProperties();
        m_queueTypes = record->queryQueueTypes();
    }
}

Adapter::~Adapter()
{
    release();
}

Adapter::Adapter(Adapter &&other) noexcept
{
    *this = std::move(other);
}

Adapter &Adapter::operator=(Adapter &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_adapter = std::exchange(other.m_adapter, {});
        m_properties = std::move(other.m_properties);
        m_features = other.m_features;
        m_queueTypes = std::exchange(other.m_queueTypes, {});
    }
    return *this;
}

void Adapter::release()
{
    if (m_adapter.isValid() && m_api)
        m_api->resourceManager()->removeAdapter(m_adapter);
    m_adapter = {};
}

std::vector<Extension> Adapter::extensions() const
{
    ApiAdapter *record = m_api ? m_api->resourceManager()->getAdapter(m_adapter) : nullptr;
    return record ? record->extensions() : std::vector<Extension>{};
}

SwapchainProperties Adapter::swapchainProperties(const Handle<Surface_t> &surface) const
{
    ApiAdapter *record = m_api ? m_api->resourceManager()->getAdapter(m_adapter) : nullptr;
    return record ? record->querySwapchainProperties(surface) : SwapchainProperties{};
}

bool Adapter::supportsPresentation(const Handle<Surface_t> &surface, uint32_t queueTypeIndex) const
{
    ApiAdapter *record = m_api ? m_api->resourceManager()->getAdapter(m_adapter) : nullptr;
    return record ? record->supportsPresentation(surface, queueTypeIndex) : false;
}

FormatProperties Adapter::formatProperties(Format format) const
{
    ApiAdapter *record = m_api ? m_api->resourceManager()->getAdapter(m_adapter) : nullptr;
    return record ? record->formatProperties(format) : FormatProperties{};
}

Device Adapter::createDevice(const DeviceOptions &options)
{
    if (!m_api || !m_adapter.isValid())
        return {};
    return Device(this, m_api, options);
}

} // namespace TbGpu
