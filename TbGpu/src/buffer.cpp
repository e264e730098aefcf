#include <TbGpu/buffer.h>

namespace TbGpu {

void Buffer::invalidate()
{
    if (ApiBuffer *buffer = record())
        buffer->invalidate();
}

void Buffer::flush()
{
    if (ApiBuffer *buffer = record())
        buffer->flush();
}

} // namespace TbGpu
