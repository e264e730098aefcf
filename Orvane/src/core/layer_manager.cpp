#include <Orvane/core/layer_manager.h>

#include <stdexcept>

namespace Orvane {

uint32_t LayerManager::registerLayer(const std::string &name)
{
    if (const auto it = m_layerMasks.find(name); it != m_layerMasks.end())
        return it->second;
    if (m_layerNames.size() == MaximumLayerCount)
        throw std::length_error("Cannot register layer \"" + name + "\": all 32 layer bits are taken");
    const uint32_t mask = uint32_t(1) << m_layerNames.size();
    m_layerNames.push_back(name);
    m_layerMasks.emplace(name, mask);
    return mask;
}

uint32_t LayerManager::layerMask(const std::string &name) const
{
    const auto it = m_layerMasks.find(name);
    return it == m_layerMasks.end() ? 0 : it->second;
}

} // namespace Orvane
