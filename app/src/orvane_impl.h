#pragma once

// Qt's Vulkan header defines VK_NO_PROTOTYPES; the real prototypes must come first.
#include <vulkan/vulkan.h>

#include <Orvane/core/aspect_engine.h>

#include <TbGpu/instance.h>
#include <TbGpu/surface.h>
#include <TbGpu/vulkan/vulkan_graphics_api.h>

#include "stereo_output.h"

#include <QMetaObject>
#include <QVulkanInstance>
#include <QWindow>

#include <cstdint>
#include <memory>
#include <vector>

namespace Orvane {
class Entity;
class Mesh;
class MeshRenderer;
class StereoForwardAlgorithm;
class Texture2D;
} // namespace Orvane

namespace ovi {

class CameraControl;
class OrbitalStereoCamera;
class StereoCamera;
class StereoProxyCamera;

// The engine bundle of the application: the Qt Vulkan instance and window, the GPU library's view of them, the
// engine with its scene, and the model's mesh and texture. Members are destroyed in reverse order: the model's
// texture and mesh, the engine (its scene, renderer and device), the adopted surface and instance, the graphics
// API, the window (and with it the surface Qt made for it) and last the Qt Vulkan instance.
class OrvaneImpl
{
public:
    // Vulkan API version requested from the driver.
    static constexpr int apiMajor = 1;
    static constexpr int apiMinor = 2;

    OrvaneImpl();
    ~OrvaneImpl();

    OrvaneImpl(const OrvaneImpl &) = delete;
    OrvaneImpl &operator=(const OrvaneImpl &) = delete;

    // Makes the window a Vulkan window, opens a device for it, builds the scene, configures the stereo forward
    // algorithm for the window and starts the engine. The engine camera follows `camera` from then on. Every
    // failure (no Vulkan instance, no device that can present to the window, a missing or unreadable scene file)
    // is reported by reportStartFailure and thrown as StartFailure, whose text names the cause. The panel is
    // handed over but not used.
    void Initialize(CameraControl *cameraControl, OrbitalStereoCamera &camera);

    // The scene: a root entity with the shader program and a directional light, a point light entity and the
    // textured model entity. Fills modelMesh, modelTexture and meshRenderer.
    std::unique_ptr<Orvane::Entity> CreateScene();

    // The window's surface, made by Qt and owned by it; VK_NULL_HANDLE before Initialize.
    VkSurfaceKHR vkSurface() const { return windowSurface; }
    // The algorithm installed by Initialize; it belongs to the renderer.
    Orvane::StereoForwardAlgorithm *renderAlgorithm() const { return algorithm; }
    // Whether the window takes the layered image itself (then the eyes cannot be composed into it).
    bool presentsLayers() const { return layeredPresentation; }
    // Switches how the eyes reach the window, without touching the scene. False, and nothing changes, for a mode
    // the window cannot show: the layered image on a window that takes one layer, a composed one on a window that
    // takes the layered image.
    bool setStereoOutput(StereoOutputMode mode, bool swapEyes);

    // The bytes of the material's parameter block: ambient, diffuse and specular colours, shininess and padding.
    static std::vector<uint8_t> materialParameters();

    QVulkanInstance vulkanInstance;
    QWindow vulkanWindow;
    std::unique_ptr<TbGpu::VulkanGraphicsApi> graphicsApi;
    TbGpu::Instance instance;
    TbGpu::Surface surface;
    Orvane::AspectEngine engine;
    std::unique_ptr<Orvane::Mesh> modelMesh;
    std::unique_ptr<Orvane::Texture2D> modelTexture;
    Orvane::MeshRenderer *meshRenderer = nullptr;
    StereoProxyCamera *stereoCamera = nullptr;

private:
    void createVulkanWindow();
    TbGpu::Device openDevice(TbGpu::Adapter *&adapter);
    void followCamera(const StereoCamera &camera);
    void copyViews(const StereoCamera &camera);
    void copyLens(const StereoCamera &camera);

    VkSurfaceKHR windowSurface = VK_NULL_HANDLE;
    Orvane::StereoForwardAlgorithm *algorithm = nullptr;
    bool layeredPresentation = false;
    // The camera connections write into the scene: they are cut before the engine goes.
    std::vector<QMetaObject::Connection> cameraConnections;
};

} // namespace ovi
