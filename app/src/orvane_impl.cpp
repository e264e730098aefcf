#include "orvane_impl.h"

#include "orbital_stereo_camera.h"
#include "qwindow_extent_watcher.h"
#include "scene_files.h"
#include "start_failure.h"
#include "stereo_proxy_camera.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/light.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/obj_mesh_loader.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/assets/texture.h>
#include <Orvane/camera/camera_lens.h>
#include <Orvane/core/entity.h>
#include <Orvane/logic/logic_aspect.h>
#include <Orvane/render/render_aspect.h>
#include <Orvane/render/render_states.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/stereo_forward_algorithm.h>
#include <Orvane/render/stereo_presentation.h>
#include <Orvane/spatial/spatial_aspect.h>
#include <Orvane/spatial/srt_transform.h>

#include <QVersionNumber>

#include <array>
#include <cstring>
#include <stdexcept>

namespace ovi {

namespace {

// The material's parameter block is bound at set 3, binding 0, the model's texture at set 4, binding 0.
constexpr uint32_t materialParameterSet = 3;
constexpr uint32_t modelTextureSet = 4;
constexpr uint64_t materialParameterBytes = 64;

std::unique_ptr<Orvane::SpirVShaderProgram> loadSceneShaders()
{
    auto program = std::make_unique<Orvane::SpirVShaderProgram>();
    const std::string vertexPath = findSceneFile(sceneVertexShaderFile);
    const std::string fragmentPath = findSceneFile(sceneFragmentShaderFile);
    program->vertexShader = vertexPath;
    program->fragmentShader = fragmentPath;
    // The program logs what it cannot read and keeps that stage empty; a scene without its shaders draws nothing.
    if (program->vertexShaderCode().empty())
        failStart("Cannot load the scene's vertex shader " + vertexPath + ": missing, empty or not SPIR-V");
    if (program->fragmentShaderCode().empty())
        failStart("Cannot load the scene's fragment shader " + fragmentPath + ": missing, empty or not SPIR-V");
    return program;
}

std::unique_ptr<Orvane::Mesh> loadModelMesh()
{
    auto mesh = std::make_unique<Orvane::Mesh>();
    mesh->setObjectName("Model Mesh");
    const std::string path = findSceneFile(sceneModelFile);
    try {
        Orvane::loadObjMesh(path, *mesh);
    } catch (const std::exception &error) {
        failStart("Cannot load the scene's model " + path + ": " + error.what());
    }
    return mesh;
}

std::unique_ptr<Orvane::Texture2D> loadModelTexture()
{
    auto texture = std::make_unique<Orvane::Texture2D>();
    texture->setObjectName("Model Texture");
    const std::string path = findSceneFile(sceneTextureFile);
    texture->setPath(path);
    if (texture->status.get() != Orvane::Texture::Status::Loaded)
        failStart("Cannot load the scene's texture " + path + ": missing or not an image");
    return texture;
}

Orvane::StereoForwardAlgorithm::RenderPhase depthTestedPhase()
{
    Orvane::DepthStencilState depth;
    depth.depthTestEnabled = true;
    depth.depthWritesEnabled = true;
    depth.depthCompareOperation = TbGpu::CompareOperation::Less;
    Orvane::StereoForwardAlgorithm::RenderPhase phase;
    phase.layerMask = 0;
    phase.sortMode = Orvane::StereoForwardAlgorithm::SortMode::SortByMaterial;
    phase.layerFilter = Orvane::StereoForwardAlgorithm::LayerFilter::AllBits;
    phase.renderStates.setState(depth);
    phase.frustumCulling = false;
    return phase;
}

} // namespace

OrvaneImpl::OrvaneImpl()
    : vulkanWindow(static_cast<QScreen *>(nullptr))
{
}

OrvaneImpl::~OrvaneImpl()
{
    for (const QMetaObject::Connection &connection : cameraConnections)
        QObject::disconnect(connection);
}

void OrvaneImpl::Initialize(CameraControl *, OrbitalStereoCamera &camera)
{
    createVulkanWindow();

    graphicsApi = std::make_unique<TbGpu::VulkanGraphicsApi>();
    instance = graphicsApi->adoptVkInstance(vulkanInstance.vkInstance());
    surface = graphicsApi->adoptVkSurface(instance.handle(), windowSurface);
    TbGpu::Adapter *adapter = nullptr;
    TbGpu::Device device = openDevice(adapter);

    std::unique_ptr<Orvane::Entity> root = CreateScene();
    stereoCamera = root->addChildEntity(std::make_unique<StereoProxyCamera>());
    copyViews(camera);
    copyLens(camera);
    followCamera(camera);

    auto stereoForward = std::make_unique<Orvane::StereoForwardAlgorithm>();
    engine.addAspect(std::make_unique<Orvane::SpatialAspect>());
    Orvane::RenderAspect *renderAspect = engine.addAspect(std::make_unique<Orvane::RenderAspect>(std::move(device)));
    engine.addAspect(std::make_unique<Orvane::LogicAspect>());

    // A window surface that allows two-layer swapchain images gets the layered image itself; most (X11 among
    // them) allow one layer, and the eyes are then drawn off screen and composed into the window.
    auto extentWatcher = std::make_shared<QWindowExtentWatcher>(&vulkanWindow);
    const Orvane::StereoPresentation presentation =
            Orvane::stereoPresentationFor(*adapter, surface.handle(), extentWatcher);
    stereoForward->renderTargetRefs = presentation.renderTargetRefs;
    stereoForward->camera = stereoCamera;
    stereoForward->renderPhases = std::vector<Orvane::StereoForwardAlgorithm::RenderPhase>{ depthTestedPhase() };
    stereoForward->sceneTargetIndex = presentation.sceneTargetIndex;
    stereoForward->presentTargetIndex = presentation.presentTargetIndex;
    stereoForward->samples = Orvane::RenderAlgorithm::SamplesCount::Samples4;
    stereoForward->stereoMode = presentation.stereoMode;
    layeredPresentation = presentation.stereoMode == Orvane::StereoForwardAlgorithm::StereoMode::MultiviewDirect;
    algorithm = stereoForward.get();
    renderAspect->renderer()->setRenderAlgorithm(std::move(stereoForward));

    engine.setRootEntity(std::move(root));
    engine.running = true;
}

void OrvaneImpl::createVulkanWindow()
{
    vulkanInstance.setApiVersion(QVersionNumber(apiMajor, apiMinor, 0));
    // Validation messages reach the log once, through the layer itself, not a second time through Qt.
    vulkanInstance.setFlags(QVulkanInstance::NoDebugOutputRedirect);
    if (!vulkanInstance.create())
        failStart("Failed to create QVulkanInstance");

    vulkanWindow.setSurfaceType(QSurface::VulkanSurface);
    vulkanWindow.setVulkanInstance(&vulkanInstance);
    vulkanWindow.create();
    windowSurface = QVulkanInstance::surfaceForWindow(&vulkanWindow);
}

TbGpu::Device OrvaneImpl::openDevice(TbGpu::Adapter *&adapter)
{
    TbGpu::DefaultDevice opened = instance.createDefaultDevice(surface, TbGpu::AdapterDeviceType::Default);
    if (opened.adapter == nullptr || !opened.device.isValid())
        failStart("No Vulkan device can draw into the window: a Vulkan 1.2 driver with a graphics queue that can "
                  "present to it is needed");
    adapter = opened.adapter;
    return std::move(opened.device);
}

std::unique_ptr<Orvane::Entity> OrvaneImpl::CreateScene()
{
    auto root = std::make_unique<Orvane::Entity>();
    root->setObjectName("Root Entity");
    Orvane::SpirVShaderProgram *program = root->addChild(loadSceneShaders());

    auto *sun = root->createComponent<Orvane::Light>();
    sun->type = Orvane::Light::Type::Directional;
    sun->color = glm::vec4(0.6f, 0.6f, 0.7f, 1.0f);
    sun->direction = glm::vec3(1.0f, -0.3f, 0.0f);

    auto *lightEntity = root->addChildEntity(std::make_unique<Orvane::Entity>());
    lightEntity->createComponent<Orvane::SrtTransform>()->translation = glm::vec3(0.0f, 10.0f, 0.0f);
    auto *lamp = lightEntity->createComponent<Orvane::Light>();
    lamp->type = Orvane::Light::Type::Point;
    lamp->color = glm::vec4(0.7f, 0.5f, 0.5f, 1.0f);
    lamp->intensity = 1.0f;

    auto *model = root->addChildEntity(std::make_unique<Orvane::Entity>());
    auto *material = model->addChild(std::make_unique<Orvane::Material>());
    material->shaderProgram = program;
    auto *parameters = model->addChild(std::make_unique<Orvane::UniformBuffer>());
    parameters->size = materialParameterBytes;
    material->setUniformBuffer(materialParameterSet, 0, parameters, 0);
    material->setUniformDataGenerator([](uint32_t, uint32_t) { return materialParameters(); });
    model->createComponent<Orvane::SrtTransform>();

    modelMesh = loadModelMesh();
    modelTexture = loadModelTexture();
    material->setTexture(modelTextureSet, 0, modelTexture.get());

    meshRenderer = model->createComponent<Orvane::MeshRenderer>();
    meshRenderer->mesh = modelMesh.get();
    meshRenderer->material = material;
    return root;
}

std::vector<uint8_t> OrvaneImpl::materialParameters()
{
    const std::array<float, 16> values{
        0.2f, 0.2f, 0.2f, 1.0f, // ambient
        0.6f, 0.6f, 0.6f, 1.0f, // diffuse
        1.0f, 1.0f, 1.0f, 1.0f, // specular
        5.0f, 0.0f, 0.0f, 0.0f, // shininess, padding
    };
    std::vector<uint8_t> bytes(sizeof(values));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

void OrvaneImpl::followCamera(const StereoCamera &camera)
{
    cameraConnections.push_back(
            QObject::connect(&camera, &StereoCamera::OnViewChanged, [this, &camera] { copyViews(camera); }));
    cameraConnections.push_back(
            QObject::connect(&camera, &StereoCamera::OnProjectionChanged, [this, &camera] { copyLens(camera); }));
}

void OrvaneImpl::copyViews(const StereoCamera &camera)
{
    stereoCamera->leftEyeViewMatrix = camera.leftView;
    stereoCamera->rightEyeViewMatrix = camera.rightView;
    stereoCamera->centerViewMatrix = camera.centerView;
}

void OrvaneImpl::copyLens(const StereoCamera &camera)
{
    stereoCamera->lens()->setPerspectiveProjection(StereoCamera::fieldOfViewDegrees, camera.aspectRatio,
                                                   camera.nearPlane, camera.farPlane);
}

bool OrvaneImpl::setStereoOutput(StereoOutputMode mode, bool swapEyes)
{
    if (!algorithm || (mode == StereoOutputMode::Layered) != layeredPresentation)
        return false;
    algorithm->stereoMode = engineStereoMode(mode);
    algorithm->swapEyes = swapEyes;
    return true;
}

} // namespace ovi
