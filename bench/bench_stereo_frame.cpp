// The viewer's frame without a window: the cottage drawn for both eyes in one multiview pass with 4x MSAA into a
// two-layer 1920x1080 target, composed as a red/cyan anaglyph into a 1920x1080 image, as the viewer does on a
// window that takes one image layer. The floor is the same frame with nothing to draw (clears, resolve and
// composition only). Frames are pumped back to back with two in flight, so the time per iteration is the frame
// time the viewer would see; `fps` is its inverse. Runs on whatever Vulkan device the machine offers (lavapipe on
// CPU-only machines), without validation.
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
#include <Orvane/core/aspect_engine.h>
#include <Orvane/core/entity.h>
#include <Orvane/render/render_aspect.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/stereo_forward_algorithm.h>
#include <Orvane/render/window_extent_watcher.h>
#include <Orvane/spatial/spatial_aspect.h>
#include <Orvane/spatial/srt_transform.h>

#include <TbGpu/device.h>
#include <TbGpu/instance.h>
#include <TbGpu/utils/logging.h>
#include <TbGpu/vulkan/vulkan_graphics_api.h>

#include <benchmark/benchmark.h>

#include <spdlog/spdlog.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr uint32_t Width = 1920;
constexpr uint32_t Height = 1080;

std::string sceneFile(const std::string &name)
{
    return std::string(SCENE_DIR) + "/" + name;
}

class FixedExtent : public Orvane::WindowExtentWatcher
{
public:
    uint32_t width() const override { return Width; }
    uint32_t height() const override { return Height; }
    float scaleFactor() const override { return 1.0f; }
};

struct StereoViewer {
    StereoViewer(bool withCottage, uint32_t samples)
    {
        spdlog::set_level(spdlog::level::warn);
        TbGpu::Logger::logger()->set_level(spdlog::level::warn);
        instance = TbGpu::Instance(&api, TbGpu::InstanceOptions{});
        const auto type = instance.selectAdapter(TbGpu::AdapterDeviceType::Default) ? TbGpu::AdapterDeviceType::Default
                                                                                    : TbGpu::AdapterDeviceType::Cpu;
        TbGpu::Device device = std::move(instance.createDefaultDevice(TbGpu::Surface{}, type).device);

        engine = std::make_unique<Orvane::AspectEngine>();
        engine->addAspect(std::make_unique<Orvane::SpatialAspect>());
        auto *render = engine->addAspect(std::make_unique<Orvane::RenderAspect>(std::move(device)));
        auto root = std::make_unique<Orvane::Entity>();
        if (withCottage)
            addCottage(*root);
        auto eyes = std::make_unique<Orvane::StereoCamera>();
        eyes->position = glm::vec3(12.0f, 10.0f, 12.0f);
        eyes->viewDirection = glm::normalize(glm::vec3(-12.0f, -10.0f, -12.0f));
        eyes->upVector = glm::vec3(0.0f, 1.0f, 0.0f);
        eyes->interocularDistance = 0.06f;
        eyes->convergencePlaneDistance = 10.0f;
        eyes->updateViewMatrices();
        eyes->lens()->setPerspectiveProjection(45.0f, float(Width) / Height, 0.1f, 1000.0f);
        Orvane::StereoCamera *camera = root->addChildEntity(std::move(eyes));

        auto algorithm = std::make_unique<Orvane::StereoForwardAlgorithm>();
        const auto extent = std::make_shared<FixedExtent>();
        Orvane::RenderTargetReference scene{ Orvane::RenderTargetReference::Offscreen, {}, extent, 2 };
        Orvane::RenderTargetReference composed{ Orvane::RenderTargetReference::Offscreen, {}, extent, 1 };
        algorithm->renderTargetRefs = { scene, composed };
        algorithm->sceneTargetIndex = 0;
        algorithm->presentTargetIndex = 1;
        algorithm->stereoMode = Orvane::StereoForwardAlgorithm::StereoMode::Anaglyph;
        algorithm->camera = camera;
        algorithm->samples = Orvane::RenderAlgorithm::SamplesCount(samples);
        render->renderer()->setRenderAlgorithm(std::move(algorithm));
        engine->setRootEntity(std::move(root));
        engine->running = true;
        gpu = &render->renderer()->device();
    }

    ~StereoViewer()
    {
        gpu->waitUntilIdle();
        texture.reset();
        mesh.reset();
        engine.reset();
        instance = {};
    }

    void addCottage(Orvane::Entity &root)
    {
        auto *program = root.addChild(std::make_unique<Orvane::SpirVShaderProgram>());
        program->vertexShader = sceneFile("multiview-scene.vert.spv");
        program->fragmentShader = sceneFile("multiview-scene.frag.spv");
        auto *sun = root.createComponent<Orvane::Light>();
        sun->type = Orvane::Light::Type::Directional;
        sun->color = glm::vec4(0.6f, 0.6f, 0.7f, 1.0f);
        sun->direction = glm::vec3(1.0f, -0.3f, 0.0f);

        auto model = std::make_unique<Orvane::Entity>();
        auto *material = model->addChild(std::make_unique<Orvane::Material>());
        material->shaderProgram = program;
        auto *parameters = model->addChild(std::make_unique<Orvane::UniformBuffer>());
        parameters->size = 64;
        material->setUniformBuffer(3, 0, parameters, 0);
        material->setUniformDataGenerator([](uint32_t, uint32_t) {
            const float values[16] = { 0.2f, 0.2f, 0.2f, 1.0f, 0.6f, 0.6f, 0.6f, 1.0f,
                                       1.0f, 1.0f, 1.0f, 1.0f, 5.0f, 0.0f, 0.0f, 0.0f };
            std::vector<uint8_t> bytes(sizeof(values));
            std::memcpy(bytes.data(), values, sizeof(values));
            return bytes;
        });
        model->createComponent<Orvane::SrtTransform>();
        mesh = std::make_unique<Orvane::Mesh>();
        Orvane::loadObjMesh(sceneFile("cottage.obj"), *mesh);
        texture = std::make_unique<Orvane::Texture2D>();
        texture->loadTexture(sceneFile("cottage_diffuse.png"));
        material->setTexture(4, 0, texture.get());
        auto *meshRenderer = model->createComponent<Orvane::MeshRenderer>();
        meshRenderer->mesh = mesh.get();
        meshRenderer->material = material;
        root.addChildEntity(std::move(model));
    }

    TbGpu::VulkanGraphicsApi api;
    TbGpu::Instance instance;
    std::unique_ptr<Orvane::Mesh> mesh;
    std::unique_ptr<Orvane::Texture2D> texture;
    std::unique_ptr<Orvane::AspectEngine> engine;
    TbGpu::Device *gpu{ nullptr };
};

void runFrames(benchmark::State &state, bool withCottage, uint32_t samples)
{
    StereoViewer viewer(withCottage, samples);
    for (int i = 0; i < 3; ++i) // warm-up: uploads, pipelines, bind groups
        viewer.engine->processFrame();
    for (auto _ : state)
        viewer.engine->processFrame();
    viewer.gpu->waitUntilIdle();
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_CottageAnaglyph4x(benchmark::State &state)
{
    runFrames(state, true, 4);
}
void BM_EmptyAnaglyph4x(benchmark::State &state)
{
    runFrames(state, false, 4);
}
void BM_CottageAnaglyph1x(benchmark::State &state)
{
    runFrames(state, true, 1);
}

} // namespace

BENCHMARK(BM_CottageAnaglyph4x)
        ->Name("stereo_frame_1920x1080/cottage_4x_msaa")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
BENCHMARK(BM_EmptyAnaglyph4x)
        ->Name("stereo_frame_1920x1080/nothing_to_draw_4x_msaa")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
BENCHMARK(BM_CottageAnaglyph1x)
        ->Name("stereo_frame_1920x1080/cottage_no_msaa")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

BENCHMARK_MAIN();
