#include <TbGpu/bind_group.h>

namespace TbGpu {

void BindGroup::update(const BindGroupEntry &entry)
{
    if (ApiBindGroup *bindGroup = record())
        bindGroup->update(entry);
}

} // namespace TbGpu
