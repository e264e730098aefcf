#include "orbital_stereo_camera.h"
#include "orvane_impl.h"
#include "stereo_proxy_camera.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/texture.h>
#include <Orvane/camera/camera_lens.h>
#include <Orvane/render/render_states.h>
#include <Orvane/render/stereo_forward_algorithm.h>

#include <QVersionNumber>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

using Algorithm = Orvane::StereoForwardAlgorithm;

// Needs a real X display (Xvfb) with the xcb platform: only there can Qt create a Vulkan instance. The test runs
// beside the scene files. The validation layer (switched on for these tests, synchronization validation
// included) writes what it finds to the standard streams: any of it fails the test.
class EngineBundle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        impl.emplace();
        impl->Initialize(nullptr, camera);
    }

    void TearDown() override
    {
        impl.reset();
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(out.find("Validation"), std::string::npos) << out;
        EXPECT_EQ(err.find("Validation"), std::string::npos) << err;
    }

    void runFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            impl->engine.processFrame();
    }

    ovi::OrbitalStereoCamera camera;
    std::optional<ovi::OrvaneImpl> impl;
};

TEST_F(EngineBundle, MakesTheWindowAVulkanWindowOnAVulkan12Instance)
{
    EXPECT_TRUE(impl->vulkanInstance.isValid());
    EXPECT_EQ(impl->vulkanInstance.apiVersion(), QVersionNumber(1, 2, 0));
    EXPECT_TRUE(impl->vulkanInstance.flags().testFlag(QVulkanInstance::NoDebugOutputRedirect));
    EXPECT_EQ(impl->vulkanWindow.surfaceType(), QSurface::VulkanSurface);
    EXPECT_EQ(impl->vulkanWindow.vulkanInstance(), &impl->vulkanInstance);
    EXPECT_NE(impl->vulkanWindow.handle(), nullptr);
    EXPECT_NE(impl->vkSurface(), VkSurfaceKHR(VK_NULL_HANDLE));
    EXPECT_EQ(impl->vkSurface(), QVulkanInstance::surfaceForWindow(&impl->vulkanWindow));
    EXPECT_TRUE(impl->instance.isValid());
    EXPECT_TRUE(impl->surface.isValid());
    EXPECT_TRUE(impl->engine.running.get());
}

// An X11 surface allows one swapchain layer: both eyes go to a two-layer offscreen target of the window's size,
// composed as an anaglyph into a one-layer swapchain.
TEST_F(EngineBundle, DrawsBothEyesOffScreenAndComposesThemIntoTheWindow)
{
    const Algorithm *algorithm = impl->renderAlgorithm();
    ASSERT_NE(algorithm, nullptr);
    const auto &references = algorithm->renderTargetRefs.get();
    ASSERT_EQ(references.size(), 2u);
    const Orvane::RenderTargetReference &scene = references.at(algorithm->sceneTargetIndex.get());
    const Orvane::RenderTargetReference &present = references.at(algorithm->presentTargetIndex.get());
    EXPECT_EQ(scene.type, Orvane::RenderTargetReference::Offscreen);
    EXPECT_EQ(scene.layers, 2u);
    EXPECT_EQ(present.type, Orvane::RenderTargetReference::Swapchain);
    EXPECT_EQ(present.layers, 1u);
    EXPECT_EQ(present.surface, impl->surface.handle());
    ASSERT_NE(present.extentWatcher, nullptr);
    EXPECT_EQ(scene.extentWatcher, present.extentWatcher);
    EXPECT_EQ(algorithm->stereoMode.get(), Algorithm::StereoMode::Anaglyph);
    EXPECT_EQ(algorithm->samples.get(), Orvane::RenderAlgorithm::SamplesCount::Samples4);
    EXPECT_EQ(algorithm->camera.get(), impl->stereoCamera);

    ASSERT_EQ(algorithm->renderPhases.get().size(), 1u);
    const Algorithm::RenderPhase &phase = algorithm->renderPhases.get().front();
    EXPECT_EQ(phase.layerMask, 0u);
    EXPECT_EQ(phase.sortMode, Algorithm::SortMode::SortByMaterial);
    EXPECT_EQ(phase.layerFilter, Algorithm::LayerFilter::AllBits);
    EXPECT_FALSE(phase.frustumCulling);
    Orvane::DepthStencilState depth;
    depth.depthTestEnabled = true;
    depth.depthWritesEnabled = true;
    depth.depthCompareOperation = TbGpu::CompareOperation::Less;
    Orvane::RenderStateSet expected;
    expected.setState(depth);
    EXPECT_EQ(phase.renderStates, expected);
}

TEST_F(EngineBundle, BuildsTheTexturedModel)
{
    ASSERT_NE(impl->modelMesh, nullptr);
    EXPECT_EQ(impl->modelMesh->objectName(), "Model Mesh");
    EXPECT_NE(impl->modelMesh->indexBuffer.get(), nullptr);
    ASSERT_NE(impl->modelTexture, nullptr);
    EXPECT_EQ(impl->modelTexture->objectName(), "Model Texture");
    EXPECT_EQ(impl->modelTexture->status.get(), Orvane::Texture::Status::Loaded);
    ASSERT_NE(impl->meshRenderer, nullptr);
    EXPECT_EQ(impl->meshRenderer->mesh.get(), impl->modelMesh.get());
    const Orvane::Material *material = impl->meshRenderer->material.get();
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->textureBindings.get().size(), 1u);
    EXPECT_EQ(material->textureBindings.get()[0],
              (Orvane::Material::BindingAndTexture{ 4, 0, impl->modelTexture.get() }));
    ASSERT_EQ(material->uniformBufferBindings.get().size(), 1u);
    const Orvane::Material::BindingAndUBO &parameters = material->uniformBufferBindings.get()[0];
    EXPECT_EQ(parameters.set, 3u);
    EXPECT_EQ(parameters.binding, 0u);
    EXPECT_EQ(parameters.offset, 0u);
    ASSERT_NE(parameters.buffer, nullptr);
    EXPECT_EQ(parameters.buffer->size.get(), 64u);

    // The same 64 bytes whatever it is asked for; the shininess at bytes 48 to 51.
    const std::vector<uint8_t> bytes = material->uniformDataGenerator(3, 0);
    ASSERT_EQ(bytes.size(), 64u);
    EXPECT_EQ(material->uniformDataGenerator(7, 42), bytes);
    float shininess = 0.0f;
    std::memcpy(&shininess, bytes.data() + 48, sizeof(shininess));
    EXPECT_EQ(shininess, 5.0f);
}

TEST_F(EngineBundle, TheEngineCameraFollowsTheQtCamera)
{
    ovi::StereoProxyCamera &engineCamera = *impl->stereoCamera;
    EXPECT_EQ(engineCamera.leftEyeViewMatrix.get(), camera.leftView);

    const glm::mat4 left = engineCamera.leftEyeViewMatrix.get();
    const glm::mat4 right = engineCamera.rightEyeViewMatrix.get();
    camera.eyeDisparity = 0.5f;
    camera.UpdateViewMatrices();
    EXPECT_NE(engineCamera.leftEyeViewMatrix.get(), left);
    EXPECT_NE(engineCamera.rightEyeViewMatrix.get(), right);
    EXPECT_EQ(engineCamera.leftEyeViewMatrix.get(), camera.leftView);
    EXPECT_EQ(engineCamera.rightEyeViewMatrix.get(), camera.rightView);
    EXPECT_EQ(engineCamera.centerViewMatrix.get(), camera.centerView);

    camera.SetViewportSize(1920, 1080);
    Orvane::CameraLens &lens = *engineCamera.lens();
    EXPECT_EQ(lens.fieldOfView.get(), 45.0f);
    EXPECT_EQ(lens.aspectRatio.get(), camera.aspectRatio);
    EXPECT_EQ(lens.nearPlane.get(), camera.nearPlane);
    EXPECT_EQ(lens.farPlane.get(), camera.farPlane);
    EXPECT_EQ(lens.projectionMatrix.get(), camera.projection);

    // Frames leave the written matrices alone.
    runFrames(3);
    EXPECT_EQ(engineCamera.leftEyeViewMatrix.get(), camera.leftView);
    EXPECT_EQ(engineCamera.rightEyeViewMatrix.get(), camera.rightView);
}

TEST_F(EngineBundle, RunsFramesWithoutValidationMessages)
{
    const uint64_t before = impl->engine.frameNumber();
    runFrames(30);
    EXPECT_EQ(impl->engine.frameNumber(), before + 30);
}

} // namespace
