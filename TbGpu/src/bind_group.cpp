#include <TbGpu/bind_group.h>

namespace TbGpu {

void BindGroup::update(const BindGroupEntry &entry)
{
    if (ResourceManager *resources = manager())
        if (ApiBindGroup *bindGroup = resources->getBindGroup(m_handle))
            bindGroup->update(entry);
}

} // namespace TbGpu
