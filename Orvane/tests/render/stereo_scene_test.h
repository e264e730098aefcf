#pragma once

// The stereo forward algorithm drawing a scene into offscreen targets that the tests read back: the viewer's own
// scene (cottage, its texture and shaders) or marker quads at known depths drawn with a flat test shader.

#include "render_test_support.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/light.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/obj_mesh_loader.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/assets/texture.h>
#include <Orvane/camera/camera_lens.h>
#include <Orvane/camera/stereo_camera.h>
#include <Orvane/render/stereo_forward_algorithm.h>
#include <Orvane/spatial/srt_transform.h>

#include <gpu_commands.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace Orvane::Test {

inline std::string sceneFile(const std::string &name)
{
    return std::string(SCENE_DIR) + "/" + name;
}

// RGBA8 pixels of one layer of a read-back target.
struct Image {
    uint32_t width{ 0 };
    uint32_t height{ 0 };
    std::vector<uint8_t> pixels;

    const uint8_t *at(uint32_t x, uint32_t y) const { return pixels.data() + (uint64_t(y) * width + x) * 4; }
};

class StereoSceneTest : public RenderEngineTest
{
protected:
    // The camera at `position` looking at the origin, eyes `separation` apart converging at `focus`.
    StereoCamera *addCamera(glm::vec3 position, float separation, float focus, float aspect)
    {
        auto created = std::make_unique<StereoCamera>();
        StereoCamera *stereo = created.get();
        stereo->position = position;
        stereo->viewDirection = glm::normalize(-position);
        stereo->upVector = glm::vec3(0.0f, 1.0f, 0.0f);
        stereo->convergencePlaneDistance = focus;
        stereo->interocularDistance = separation;
        stereo->updateViewMatrices();
        stereo->lens()->setPerspectiveProjection(45.0f, aspect, 0.1f, 1000.0f);
        root->addChildEntity(std::move(created));
        return stereo;
    }

    // A program from the viewer's scene shaders, a material with its 64 parameter bytes and a texture.
    Material *sceneMaterial(Texture *texture)
    {
        auto *program = root->addChild(std::make_unique<SpirVShaderProgram>());
        program->vertexShader = sceneFile("multiview-scene.vert.spv");
        program->fragmentShader = sceneFile("multiview-scene.frag.spv");
        auto *material = root->addChild(std::make_unique<Material>());
        material->shaderProgram = program;
        auto *parameters = root->addChild(std::make_unique<UniformBuffer>());
        parameters->size = 64;
        material->setUniformBuffer(3, 0, parameters, 0);
        material->setUniformDataGenerator([](uint32_t, uint32_t) {
            const float values[16] = { 0.2f, 0.2f, 0.2f, 1.0f, 0.6f, 0.6f, 0.6f, 1.0f,
                                       1.0f, 1.0f, 1.0f, 1.0f, 5.0f, 0.0f, 0.0f, 0.0f };
            std::vector<uint8_t> bytes(sizeof(values));
            std::memcpy(bytes.data(), values, sizeof(values));
            return bytes;
        });
        material->setTexture(4, 0, texture);
        return material;
    }

    // A directional light along -z and a point light above, as the viewer has them.
    void addLights()
    {
        auto *sun = root->createComponent<Light>();
        sun->type = Light::Type::Directional;
        sun->color = glm::vec4(0.6f, 0.6f, 0.7f, 1.0f);
        sun->direction = glm::vec3(1.0f, -0.3f, 0.0f);
        auto lamp = std::make_unique<Entity>();
        lamp->createComponent<SrtTransform>()->translation = glm::vec3(0.0f, 10.0f, 0.0f);
        auto *point = lamp->createComponent<Light>();
        point->color = glm::vec4(0.7f, 0.5f, 0.5f, 1.0f);
        point->intensity = 1.0f;
        root->addChildEntity(std::move(lamp));
    }

    // The cottage with its texture, on an entity of its own.
    MeshRenderer *addCottage()
    {
        mesh = std::make_unique<Mesh>();
        loadObjMesh(sceneFile("cottage.obj"), *mesh);
        texture = std::make_unique<Texture2D>();
        EXPECT_TRUE(texture->loadTexture(sceneFile("cottage_diffuse.png")));
        auto model = std::make_unique<Entity>();
        model->createComponent<SrtTransform>();
        auto *renderer = model->createComponent<MeshRenderer>();
        renderer->mesh = mesh.get();
        renderer->material = sceneMaterial(texture.get());
        root->addChildEntity(std::move(model));
        return renderer;
    }

    // Installs the algorithm on the given targets and starts the engine (its first frame runs).
    StereoForwardAlgorithm *startStereo(std::vector<RenderTargetReference> references, uint64_t sceneIndex,
                                        uint64_t presentIndex, StereoForwardAlgorithm::StereoMode mode,
                                        StereoCamera *stereoCamera, uint32_t sampleCount = 4)
    {
        auto created = std::make_unique<StereoForwardAlgorithm>();
        created->renderTargetRefs = std::move(references);
        created->sceneTargetIndex = sceneIndex;
        created->presentTargetIndex = presentIndex;
        created->stereoMode = mode;
        created->camera = stereoCamera;
        created->samples = RenderAlgorithm::SamplesCount(sampleCount);
        StereoForwardAlgorithm *raw = created.get();
        renderer->setRenderAlgorithm(std::move(created));
        engine->running = true;
        return raw;
    }

    // A white square of side `size` facing +z, centred at `centre`, drawn with the scene shaders (ambient light
    // only: no lights in the scene).
    MeshRenderer *addSquare(glm::vec3 centre, float size)
    {
        const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                ("tavisher-square-" + std::to_string(::getpid()) + "-" + std::to_string(squares.size()));
        std::filesystem::create_directories(dir);
        {
            std::ofstream obj(dir / "square.obj");
            const float h = size / 2;
            obj << "v " << -h << ' ' << -h << " 0\nv " << h << ' ' << -h << " 0\nv " << h << ' ' << h << " 0\nv " << -h
                << ' ' << h << " 0\n";
            obj << "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nf 1/1/1 2/2/1 3/3/1 4/4/1\n";
            std::ofstream ppm(dir / "white.ppm", std::ios::binary);
            ppm << "P6 2 2 255\n";
            for (int i = 0; i < 12; ++i)
                ppm.put(char(255));
        }
        auto square = std::make_unique<Mesh>();
        loadObjMesh((dir / "square.obj").string(), *square);
        auto white = std::make_unique<Texture2D>();
        EXPECT_TRUE(white->loadTexture((dir / "white.ppm").string()));
        auto entity = std::make_unique<Entity>();
        entity->createComponent<SrtTransform>()->translation = centre;
        auto *meshRenderer = entity->createComponent<MeshRenderer>();
        meshRenderer->mesh = square.get();
        meshRenderer->material = sceneMaterial(white.get());
        root->addChildEntity(std::move(entity));
        squares.push_back(std::move(square));
        textures.push_back(std::move(white));
        std::filesystem::remove_all(dir);
        return meshRenderer;
    }

    // Every layer of the offscreen target of reference `index`, after the frames in flight have completed.
    std::vector<Image> readTarget(uint32_t index)
    {
        TbGpu::Device &gpu = renderer->device();
        gpu.waitUntilIdle();
        OffscreenRenderTarget *target = renderer->offscreenManager()->find(index);
        EXPECT_NE(target, nullptr);
        if (!target)
            return {};
        const uint32_t w = target->extent.width;
        const uint32_t h = target->extent.height;
        TbGpu::CommandRecorder recorder = gpu.createCommandRecorder({ renderer->graphicsQueue()->handle() });
        TbGpu::TextureMemoryBarrierOptions toTransfer;
        toTransfer.srcStages = TbGpu::PipelineStageFlagBits::AllGraphicsBit;
        toTransfer.srcMask = TbGpu::AccessFlagBits::ColorAttachmentWriteBit;
        toTransfer.dstStages = TbGpu::PipelineStageFlagBits::TransferBit;
        toTransfer.dstMask = TbGpu::AccessFlagBits::TransferReadBit;
        toTransfer.oldLayout = TbGpu::TextureLayout::ShaderReadOnlyOptimal;
        toTransfer.newLayout = TbGpu::TextureLayout::TransferSrcOptimal;
        toTransfer.texture = target->colorTexture.handle();
        toTransfer.range = { TbGpuTest::colourAspect, 0, 1, 0, target->layers };
        recorder.textureMemoryBarrier(toTransfer);
        const std::vector<uint8_t> bytes =
                TbGpuTest::finishAndReadTexture(gpu, recorder, target->colorTexture, w, h, target->layers);
        std::vector<Image> layers;
        const uint64_t layerSize = uint64_t(w) * h * 4;
        for (uint32_t layer = 0; layer < target->layers; ++layer)
            layers.push_back({ w, h, { bytes.begin() + layer * layerSize, bytes.begin() + (layer + 1) * layerSize } });
        return layers;
    }

    std::unique_ptr<Mesh> mesh;
    std::unique_ptr<Texture2D> texture;
    std::vector<std::unique_ptr<Mesh>> squares;
    std::vector<std::unique_ptr<Texture2D>> textures;
};

} // namespace Orvane::Test
