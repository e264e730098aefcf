#pragma once

#include <TbFoundation/object.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Orvane {

// The names of the render layers that entities' layerMask bits stand for. Each registered name gets the
// next free bit, in registration order; a 32-bit mask has room for 32 names.
class LayerManager : public TbFoundation::Object
{
public:
    static constexpr std::size_t MaximumLayerCount = 32;

    // The mask of `name`, registering it first when it is new. Throws std::length_error when all 32 bits
    // are taken.
    uint32_t registerLayer(const std::string &name);
    // The mask of a registered name, 0 for an unknown one.
    uint32_t layerMask(const std::string &name) const;

    const std::vector<std::string> &layerNames() const noexcept { return m_layerNames; }

private:
    std::vector<std::string> m_layerNames;
    std::unordered_map<std::string, uint32_t> m_layerMasks;
};

} // namespace Orvane
