#pragma once

#include <Orvane/render/storages/resource_storage.h>

#include <TbGpu/sampler.h>
#include <TbGpu/texture.h>
#include <TbGpu/texture_view.h>

#include <memory>

namespace spdlog {
class logger;
}

namespace Orvane {

class Texture;

struct TextureRecord {
    TbGpu::Texture texture;
    TbGpu::TextureView view;
    TbGpu::Sampler sampler;
};

// Uploads textures when they are added or changed (synchronously: the upload is complete on return). 2D and 3D
// textures take their layers and levels from the texture; block-compressed formats are copied in whole blocks;
// cube maps take their six faces from the loaded DDS image.
class TextureStorage : public ResourceStorage<Texture, TextureRecord>
{
public:
    explicit TextureStorage(Renderer *renderer);
    ~TextureStorage() override;

    void add(Texture *texture);
    void update(Texture *texture);
    void remove(Texture *texture);
    void clear();

private:
    void upload(Texture *texture, TextureRecord &record);
    void uploadImage(Texture *texture, TextureRecord &record);
    void uploadCubeMap(Texture *texture, TextureRecord &record);
    void createSampler(Texture *texture, TextureRecord &record);
    void retire(TextureRecord &record);

    std::shared_ptr<spdlog::logger> m_logger;
};

} // namespace Orvane
