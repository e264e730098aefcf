#pragma once

// A reusable fixture for tests that need a real device: a validated instance (see validation_recorder.h) adopted
// by the library, and the default device opened on it without a surface. Validation errors fail the running test
// when they come, warnings at its end: a clean test leaves no validation message at all. Tests of other layers
// link the TbGpuTestRig target and derive their fixtures from GpuTestRig.

#include "log_capture.h"
#include "validation_recorder.h"

#include <TbGpu/instance.h>
#include <TbGpu/vulkan/vulkan_graphics_api.h>

#include <gtest/gtest.h>

namespace TbGpuTest {

class GpuTestRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(validated.handle(), VK_NULL_HANDLE);
        instance = api.adoptVkInstance(validated.handle());
        ASSERT_TRUE(instance.isValid());
        TbGpu::DefaultDevice opened = instance.createDefaultDevice(TbGpu::Surface{});
        adapter = opened.adapter;
        device = std::move(opened.device);
        ASSERT_NE(adapter, nullptr);
        ASSERT_TRUE(device.isValid());
    }

    void TearDown() override
    {
        device = {};
        instance = {};
        validation().failOnWarnings();
    }

    ValidationRecorder &validation() { return validated.validation(); }

    ValidatedInstance validated; // first: everything below is made on it and goes before it
    TbGpu::VulkanGraphicsApi api;
    TbGpu::Instance instance;
    TbGpu::Adapter *adapter{ nullptr };
    TbGpu::Device device;
};

} // namespace TbGpuTest
