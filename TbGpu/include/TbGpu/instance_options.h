#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TbGpu {

struct InstanceOptions {
    std::string applicationName{ "TbGpu Application" };
    uint32_t applicationVersion{ 0 }; // packed as Vulkan packs versions
    std::vector<std::string> layers; // enabled as given, in addition to the (empty) default list
    std::vector<std::string> extensions; // enabled when the loader offers them; missing ones are warned about
};

struct Extension {
    std::string name;
    uint32_t version{ 0 };
    bool operator==(const Extension &) const = default;
};

} // namespace TbGpu
