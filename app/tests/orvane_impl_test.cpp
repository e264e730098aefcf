#include "orbital_stereo_camera.h"
#include "orvane_impl.h"

#include <QVersionNumber>

#include <gtest/gtest.h>

#include <string>

namespace {

// Needs a real X display (Xvfb) with the xcb platform: only there can Qt create a Vulkan instance.
TEST(OrvaneImpl, MakesTheWindowAVulkanWindowOnAVulkan12Instance)
{
    ovi::OrvaneImpl impl;
    ovi::OrbitalStereoCamera camera;
    EXPECT_EQ(impl.vulkanWindow.screen() != nullptr, true) << "the window falls back to the primary screen";
    // The validation layer (switched on for this test) writes what it finds to the standard streams.
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    impl.Initialize(nullptr, camera);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.find("Validation"), std::string::npos) << out;
    EXPECT_EQ(err.find("Validation"), std::string::npos) << err;

    EXPECT_TRUE(impl.vulkanInstance.isValid());
    EXPECT_EQ(impl.vulkanInstance.apiVersion(), QVersionNumber(1, 2, 0));
    EXPECT_TRUE(impl.vulkanInstance.flags().testFlag(QVulkanInstance::NoDebugOutputRedirect));
    EXPECT_EQ(impl.vulkanWindow.surfaceType(), QSurface::VulkanSurface);
    EXPECT_EQ(impl.vulkanWindow.vulkanInstance(), &impl.vulkanInstance);
    EXPECT_NE(impl.vulkanWindow.handle(), nullptr);
    EXPECT_NE(impl.surface(), VkSurfaceKHR(VK_NULL_HANDLE));
    EXPECT_EQ(impl.surface(), QVulkanInstance::surfaceForWindow(&impl.vulkanWindow));
}

} // namespace
