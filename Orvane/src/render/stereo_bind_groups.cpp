#include <Orvane/render/stereo_forward_algorithm.h>

#include "stereo_pipelines.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/texture.h>
#include <Orvane/render/render_target.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/resource_format.h>
#include <Orvane/render/storages/buffer_storage.h>
#include <Orvane/render/storages/default_material_storage.h>
#include <Orvane/render/storages/shader_program_storage.h>
#include <Orvane/render/storages/texture_storage.h>

#include <TbGpu/device.h>

#include <spdlog/spdlog.h>

#include <algorithm>

namespace Orvane {

namespace {

constexpr uint32_t CombinedImageSamplerType = 1;
constexpr uint32_t UniformBufferType = 6;
constexpr uint32_t DynamicUniformBufferType = 8;

bool isMaterialBinding(const ResourceBinding &binding)
{
    const Render::StandardResourceType type = Render::standardResourceType(binding.block.typeName);
    return type == Render::StandardResourceType::Material || type == Render::StandardResourceType::None;
}

// The material's texture or uniform buffer for a set and binding, or null.
template<typename Binding>
const Binding *materialBinding(const std::vector<Binding> &bindings, uint32_t set, uint32_t binding)
{
    const auto found = std::find_if(bindings.begin(), bindings.end(), [&](const Binding &candidate) {
        return candidate.set == set && candidate.binding == binding;
    });
    return found != bindings.end() ? &*found : nullptr;
}

const ShaderProgramRecord *programRecordOf(Renderer &renderer, const Material *material)
{
    return material && material->shaderProgram.get()
            ? renderer.shaderProgramStorage().find(material->shaderProgram.get())
            : nullptr;
}

} // namespace

void StereoForwardAlgorithm::createBindGroups(Render::BindGroupCollection &collection, const Material *material,
                                              const ResourceFormat &format, const Render::StandardResourceType &type,
                                              const TbGpu::Handle<TbGpu::Buffer_t> &buffer)
{
    const ShaderProgramRecord *program = programRecordOf(*renderer, material);
    if (!program)
        return;
    collection.bindGroups.reserve(MaxFramesInFlight);
    for (const ResourceSet &set : format.sets) {
        std::vector<TbGpu::BindGroupEntry> resources;
        bool selected = false;
        for (const ResourceBinding &binding : set.bindings) {
            if (Render::standardResourceType(binding.block.typeName) != type)
                continue;
            selected = true;
            TbGpu::BufferBinding range;
            range.buffer = buffer;
            range.offset = binding.block.offset;
            range.size = binding.block.size;
            if (binding.type == UniformBufferType)
                resources.push_back({ binding.binding, TbGpu::UniformBufferBinding{ range } });
            else if (binding.type == DynamicUniformBufferType)
                resources.push_back({ binding.binding, TbGpu::DynamicUniformBufferBinding{ range } });
        }
        if (!selected || set.set >= program->bindGroupLayoutHandles.size())
            continue;
        collection.set = set.set;
        for (uint32_t slot = 0; slot < MaxFramesInFlight; ++slot)
            collection.bindGroups.push_back(
                    renderer->device().createBindGroup({ program->bindGroupLayoutHandles[set.set], resources }));
    }
}

void StereoForwardAlgorithm::createMaterialBindGroups(const Material *material, const ResourceFormat &format)
{
    MaterialRecord *record = renderer->materialStorage().find(material);
    const ShaderProgramRecord *program = programRecordOf(*renderer, material);
    if (!record || !program)
        return;

    std::array<std::vector<MaterialRecord::SetEntry>, MaxFramesInFlight> made;
    for (uint32_t slot = 0; slot < MaxFramesInFlight; ++slot) {
        for (const ResourceSet &set : format.sets) {
            std::vector<TbGpu::BindGroupEntry> resources;
            bool usesSet = false;
            for (const ResourceBinding &binding : set.bindings) {
                if (!isMaterialBinding(binding))
                    continue;
                if (binding.type == UniformBufferType) {
                    usesSet = true;
                    const Material::BindingAndUBO *found =
                            materialBinding(material->uniformBufferBindings.get(), set.set, binding.binding);
                    const BufferRecord *buffer = found ? renderer->bufferStorage().find(found->buffer) : nullptr;
                    if (!buffer || !buffer->buffer.isValid())
                        return; // not on the GPU yet: made on a later frame
                    TbGpu::BufferBinding range;
                    range.buffer = buffer->buffer.handle();
                    const uint64_t slotOffset = found->buffer->hostVisible.get() ? slot * buffer->size : 0;
                    range.offset = uint32_t(found->offset + binding.block.offset + slotOffset);
                    range.size = binding.block.size;
                    resources.push_back({ binding.binding, TbGpu::UniformBufferBinding{ range } });
                } else if (binding.type == CombinedImageSamplerType) {
                    usesSet = true;
                    const Material::BindingAndTexture *found =
                            materialBinding(material->textureBindings.get(), set.set, binding.binding);
                    const TextureRecord *texture = found ? renderer->textureStorage().find(found->texture) : nullptr;
                    if (!texture || !texture->view.isValid())
                        return;
                    resources.push_back(
                            { binding.binding,
                              TbGpu::TextureViewSamplerBinding{ texture->view.handle(), texture->sampler.handle() } });
                }
            }
            if (!usesSet || set.set >= program->bindGroupLayoutHandles.size())
                continue;
            MaterialRecord::SetEntry entry;
            entry.set = set.set;
            entry.bindGroup =
                    renderer->device().createBindGroup({ program->bindGroupLayoutHandles[set.set], resources });
            entry.resources = std::move(resources);
            made[slot].push_back(std::move(entry));
        }
    }
    record->bindGroups = std::move(made);
}

// ---- composition ----------------------------------------------------------------------------------------------

void StereoForwardAlgorithm::createCompositionResources(RenderTargetEntry &present)
{
    releaseCompositionResources();
    TbGpu::Device &device = renderer->device();
    m_compositionBindGroupLayout =
            device.createBindGroupLayout({ { { 0, 1, TbGpu::ResourceBindingType::CombinedImageSampler,
                                               TbGpu::ShaderStageFlagBits::FragmentBit } } });
    TbGpu::PipelineLayoutOptions layoutOptions;
    layoutOptions.bindGroupLayouts = { m_compositionBindGroupLayout.handle() };
    layoutOptions.pushConstantRanges = { { 0, 4, TbGpu::ShaderStageFlagBits::FragmentBit } };
    m_compositionPipelineLayout = device.createPipelineLayout(layoutOptions);

    // Single-sampled and without depth: see the composition pass.
    const Render::StereoPipelineTarget target{ present.target->colorFormat(), TbGpu::Format::UNDEFINED, 1, 1 };
    m_sideBySidePipeline =
            Render::createCompositionPipeline(device, m_compositionPipelineLayout.handle(), "stereo-fsq", target);
    m_anaglyphPipeline =
            Render::createCompositionPipeline(device, m_compositionPipelineLayout.handle(), "anaglyph-fsq", target);
    m_compositionSampler = device.createSampler();
    m_compositionFormat = target.colorFormat;
}

void StereoForwardAlgorithm::releaseCompositionResources()
{
    Render::DeletionBatch &batch = deleter().currentBatch();
    for (TbGpu::BindGroup &group : m_compositionBindGroups) {
        if (group.isValid())
            batch.bindGroups.push_back(std::move(group));
    }
    m_compositionBindGroups.clear();
    m_compositionSourceViews.clear();
    for (TbGpu::GraphicsPipeline *pipeline : { &m_sideBySidePipeline, &m_anaglyphPipeline }) {
        if (pipeline->isValid())
            batch.graphicsPipelines.push_back(std::move(*pipeline));
        *pipeline = {};
    }
    if (m_compositionPipelineLayout.isValid())
        batch.pipelineLayouts.push_back(std::move(m_compositionPipelineLayout));
    if (m_compositionSampler.isValid())
        batch.samplers.push_back(std::move(m_compositionSampler));
    m_compositionPipelineLayout = {};
    m_compositionSampler = {};
    // No batch kind for bind group layouts: nothing made from it outlives the bind groups above, which the frames in
    // flight hold through their own records.
    m_compositionBindGroupLayout = {};
    m_compositionFormat = TbGpu::Format::UNDEFINED;
}

void StereoForwardAlgorithm::rebuildCompositionBindGroups(RenderTargetEntry &scene)
{
    Render::DeletionBatch &batch = deleter().currentBatch();
    for (TbGpu::BindGroup &group : m_compositionBindGroups) {
        if (group.isValid())
            batch.bindGroups.push_back(std::move(group));
    }
    m_compositionBindGroups.clear();
    m_compositionSourceViews.clear();
    if (!m_compositionBindGroupLayout.isValid())
        return;
    for (uint32_t slot = 0; slot < MaxFramesInFlight; ++slot) {
        const TbGpu::Handle<TbGpu::TextureView_t> view = scene.target->imageView(slot);
        m_compositionSourceViews.push_back(view);
        TbGpu::BindGroupOptions options;
        options.layout = m_compositionBindGroupLayout.handle();
        options.resources = { { 0, TbGpu::TextureViewSamplerBinding{ view, m_compositionSampler.handle() } } };
        m_compositionBindGroups.push_back(renderer->device().createBindGroup(options));
    }
}

} // namespace Orvane
