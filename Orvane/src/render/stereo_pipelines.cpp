#include "stereo_pipelines.h"

#include <Orvane/render/embedded_filesystem.h>

#include <TbGpu/device.h>
#include <TbGpu/shader_module.h>

#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace Orvane::Render {

namespace {

TbGpu::ShaderModule embeddedShaderModule(TbGpu::Device &device, const std::string &path)
{
    const std::optional<EmbeddedFile> file = embeddedFilesystem().open(path);
    if (!file)
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory), path);
    std::vector<uint32_t> code(file->size() / sizeof(uint32_t));
    std::memcpy(code.data(), file->begin, code.size() * sizeof(uint32_t));
    return device.createShaderModule(code);
}

TbGpu::GraphicsPipelineOptions pipelineOptions(const TbGpu::Handle<TbGpu::PipelineLayout_t> &layout,
                                               const StereoPipelineTarget &target)
{
    TbGpu::GraphicsPipelineOptions options;
    options.layout = layout;
    options.renderTargets = { { target.colorFormat } };
    options.depthStencil.format = target.depthFormat;
    options.primitive.topology = TbGpu::PrimitiveTopology::TriangleList;
    options.primitive.cullMode = TbGpu::CullModeFlagBits::BackBit;
    options.primitive.frontFace = TbGpu::FrontFace::CounterClockwise;
    options.multisample.samples = TbGpu::SampleCountFlagBits(target.samples);
    options.viewCount = target.viewCount;
    return options;
}

TbGpu::GraphicsPipeline createFromEmbedded(TbGpu::Device &device, TbGpu::GraphicsPipelineOptions options,
                                           const std::string &vertexPath, const std::string &fragmentPath)
{
    // The modules are only needed while the pipeline is made.
    TbGpu::ShaderModule vertex = embeddedShaderModule(device, vertexPath);
    TbGpu::ShaderModule fragment = embeddedShaderModule(device, fragmentPath);
    options.shaderStages = { { vertex.handle(), TbGpu::ShaderStageFlagBits::VertexBit, "main" },
                             { fragment.handle(), TbGpu::ShaderStageFlagBits::FragmentBit, "main" } };
    return device.createGraphicsPipeline(options);
}

} // namespace

TbGpu::GraphicsPipeline createNullPipeline(TbGpu::Device &device, const TbGpu::Handle<TbGpu::PipelineLayout_t> &layout,
                                           const StereoPipelineTarget &target)
{
    TbGpu::GraphicsPipelineOptions options = pipelineOptions(layout, target);
    options.depthStencil.depthTestEnabled = true;
    options.depthStencil.depthWritesEnabled = true;
    options.depthStencil.depthCompareOperation = TbGpu::CompareOperation::Less;
    return createFromEmbedded(device, options, "shaders/null.vert.spv", "shaders/null.frag.spv");
}

TbGpu::GraphicsPipeline createCompositionPipeline(TbGpu::Device &device,
                                                  const TbGpu::Handle<TbGpu::PipelineLayout_t> &layout,
                                                  std::string_view name, const StereoPipelineTarget &target)
{
    TbGpu::GraphicsPipelineOptions options = pipelineOptions(layout, target);
    options.depthStencil.depthTestEnabled = false;
    options.depthStencil.depthWritesEnabled = false;
    options.depthStencil.depthCompareOperation = TbGpu::CompareOperation::Always;
    const std::string base = "shaders/stereo/" + std::string(name);
    return createFromEmbedded(device, options, base + ".vert.spv", base + ".frag.spv");
}

} // namespace Orvane::Render
