#include <Orvane/render/shader_introspection.h>

#include <spdlog/spdlog.h>
#include <spirv_cross/spirv_cross.hpp>

#include <algorithm>
#include <map>
#include <string_view>

namespace Orvane::Render {

namespace {

using TbGpu::ResourceBindingType;
using TbGpu::ShaderStageFlagBits;

uint32_t stageFlag(spv::ExecutionModel model)
{
    switch (model) {
    case spv::ExecutionModelVertex:
        return uint32_t(ShaderStageFlagBits::VertexBit);
    case spv::ExecutionModelTessellationControl:
        return uint32_t(ShaderStageFlagBits::TessellationControlBit);
    case spv::ExecutionModelTessellationEvaluation:
        return uint32_t(ShaderStageFlagBits::TessellationEvaluationBit);
    case spv::ExecutionModelGeometry:
        return uint32_t(ShaderStageFlagBits::GeometryBit);
    case spv::ExecutionModelFragment:
        return uint32_t(ShaderStageFlagBits::FragmentBit);
    case spv::ExecutionModelGLCompute:
        return uint32_t(ShaderStageFlagBits::ComputeBit);
    default:
        return 0;
    }
}

// Blocks whose type name ends in "Entity" hold one model matrix per object and are bound with a dynamic
// offset per draw.
bool isPerEntityBlock(std::string_view typeName)
{
    return typeName.ends_with("Entity");
}

std::string structName(const spirv_cross::Compiler &compiler, const spirv_cross::SPIRType &type)
{
    return type.basetype == spirv_cross::SPIRType::Struct ? compiler.get_name(type.self) : std::string();
}

BlockDescription describeMembers(const spirv_cross::Compiler &compiler, const spirv_cross::SPIRType &structType,
                                 BlockDescription block)
{
    for (uint32_t i = 0; i < structType.member_types.size(); ++i) {
        const spirv_cross::SPIRType &memberType = compiler.get_type(structType.member_types[i]);
        BlockDescription member;
        member.name = compiler.get_member_name(structType.self, i);
        member.typeName = structName(compiler, memberType);
        member.offset = compiler.type_struct_member_offset(structType, i);
        member.size = uint32_t(compiler.get_declared_struct_member_size(structType, i));
        if (memberType.basetype == spirv_cross::SPIRType::Struct)
            member = describeMembers(compiler, memberType, std::move(member));
        block.members.push_back(std::move(member));
    }
    return block;
}

BlockDescription describeBlock(const spirv_cross::Compiler &compiler, const spirv_cross::Resource &resource)
{
    const spirv_cross::SPIRType &type = compiler.get_type(resource.base_type_id);
    BlockDescription block;
    block.name = compiler.get_name(resource.id);
    block.typeName = structName(compiler, type);
    block.size = uint32_t(compiler.get_declared_struct_size(type));
    return describeMembers(compiler, type, std::move(block));
}

uint32_t arrayCount(const spirv_cross::SPIRType &type)
{
    uint32_t count = 1;
    for (uint32_t dimension : type.array)
        count *= std::max(dimension, 1u);
    return count;
}

ResourceBindingType imageDescriptorType(const spirv_cross::SPIRType &type, ResourceBindingType plain,
                                        ResourceBindingType texelBuffer)
{
    return type.image.dim == spv::DimBuffer ? texelBuffer : plain;
}

void introspectDescriptorSets(const spirv_cross::Compiler &compiler, ResourceFormat &format, spdlog::logger &logger)
{
    const uint32_t stage = stageFlag(compiler.get_execution_model());
    std::map<uint32_t, std::map<uint32_t, ResourceBinding>> sets;
    try {
        const spirv_cross::ShaderResources resources = compiler.get_shader_resources();
        const auto add = [&](const spirv_cross::SmallVector<spirv_cross::Resource> &list, auto descriptorType,
                             bool hasBlock) {
            for (const spirv_cross::Resource &resource : list) {
                const spirv_cross::SPIRType &type = compiler.get_type(resource.type_id);
                ResourceBinding binding;
                binding.binding = compiler.get_decoration(resource.id, spv::DecorationBinding);
                binding.count = arrayCount(type);
                binding.stages = stage;
                if (hasBlock)
                    binding.block = describeBlock(compiler, resource);
                binding.type =
                        uint32_t(isPerEntityBlock(binding.block.typeName) ? ResourceBindingType::UniformBufferDynamic
                                                                          : descriptorType(type));
                const uint32_t set = compiler.get_decoration(resource.id, spv::DecorationDescriptorSet);
                sets[set][binding.binding] = std::move(binding);
            }
        };
        using Type = ResourceBindingType;
        const auto fixed = [](Type type) { return [type](const spirv_cross::SPIRType &) { return type; }; };
        const auto image = [](Type plain, Type texelBuffer) {
            return [=](const spirv_cross::SPIRType &t) { return imageDescriptorType(t, plain, texelBuffer); };
        };
        add(resources.uniform_buffers, fixed(Type::UniformBuffer), true);
        add(resources.storage_buffers, fixed(Type::StorageBuffer), true);
        add(resources.sampled_images, image(Type::CombinedImageSampler, Type::UniformTexelBuffer), false);
        add(resources.separate_images, image(Type::SampledImage, Type::UniformTexelBuffer), false);
        add(resources.storage_images, image(Type::StorageImage, Type::StorageTexelBuffer), false);
        add(resources.separate_samplers, fixed(Type::Sampler), false);
        add(resources.subpass_inputs, fixed(Type::InputAttachment), false);
        add(resources.acceleration_structures, fixed(Type::AccelerationStructure), false);
    } catch (const spirv_cross::CompilerError &) {
        SPDLOG_LOGGER_CRITICAL(&logger, "Failed to enumerate shader stage descriptor sets");
        return;
    }

    for (auto &[number, bindings] : sets) {
        ResourceSet set{ number, {} };
        for (auto &[bindingNumber, binding] : bindings)
            set.bindings.push_back(std::move(binding));
        format.sets.push_back(std::move(set));
    }
}

void introspectPushConstantRanges(const spirv_cross::Compiler &compiler, ResourceFormat &format, spdlog::logger &logger)
{
    const uint32_t stage = stageFlag(compiler.get_execution_model());
    try {
        for (const spirv_cross::Resource &resource : compiler.get_shader_resources().push_constant_buffers) {
            const spirv_cross::SPIRType &type = compiler.get_type(resource.base_type_id);
            uint32_t offset = 0;
            if (!type.member_types.empty()) {
                offset = UINT32_MAX;
                for (uint32_t i = 0; i < type.member_types.size(); ++i)
                    offset = std::min(offset, compiler.type_struct_member_offset(type, i));
            }
            const uint32_t end = uint32_t(compiler.get_declared_struct_size(type));
            format.pushConstantRanges.push_back({ offset, end - offset, stage });
        }
    } catch (const spirv_cross::CompilerError &) {
        SPDLOG_LOGGER_CRITICAL(&logger, "Failed to enumerate push constant ranges");
    }
}

TbGpu::Format vertexFormat(const spirv_cross::SPIRType &type)
{
    using TbGpu::Format;
    const uint32_t components = type.vecsize;
    if (components < 1 || components > 4)
        return Format::UNDEFINED;
    static constexpr Format floats[] = { Format::R32_SFLOAT, Format::R32G32_SFLOAT, Format::R32G32B32_SFLOAT,
                                         Format::R32G32B32A32_SFLOAT };
    static constexpr Format ints[] = { Format::R32_SINT, Format::R32G32_SINT, Format::R32G32B32_SINT,
                                       Format::R32G32B32A32_SINT };
    static constexpr Format uints[] = { Format::R32_UINT, Format::R32G32_UINT, Format::R32G32B32_UINT,
                                        Format::R32G32B32A32_UINT };
    static constexpr Format doubles[] = { Format::R64_SFLOAT, Format::R64G64_SFLOAT, Format::R64G64B64_SFLOAT,
                                          Format::R64G64B64A64_SFLOAT };
    static constexpr Format halves[] = { Format::R16_SFLOAT, Format::R16G16_SFLOAT, Format::R16G16B16_SFLOAT,
                                         Format::R16G16B16A16_SFLOAT };
    switch (type.basetype) {
    case spirv_cross::SPIRType::Float:
        return floats[components - 1];
    case spirv_cross::SPIRType::Int:
        return ints[components - 1];
    case spirv_cross::SPIRType::UInt:
        return uints[components - 1];
    case spirv_cross::SPIRType::Double:
        return doubles[components - 1];
    case spirv_cross::SPIRType::Half:
        return halves[components - 1];
    default:
        return Format::UNDEFINED;
    }
}

void introspectInputVariables(const spirv_cross::Compiler &compiler, std::vector<ShaderAttribute> &attributes,
                              spdlog::logger &logger)
{
    try {
        std::vector<ShaderAttribute> found;
        for (const spirv_cross::Resource &resource : compiler.get_shader_resources().stage_inputs) {
            // Built-ins carry no location and are not fed by vertex buffers.
            if (compiler.has_decoration(resource.id, spv::DecorationBuiltIn) ||
                !compiler.has_decoration(resource.id, spv::DecorationLocation))
                continue;
            const uint32_t location = compiler.get_decoration(resource.id, spv::DecorationLocation);
            if (location == 0xFFFFFFFFu || location == 0x7FFFFFFFu)
                continue;
            found.push_back(
                    { location, vertexFormat(compiler.get_type(resource.type_id)), compiler.get_name(resource.id) });
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const ShaderAttribute &a, const ShaderAttribute &b) { return a.location < b.location; });
        attributes.insert(attributes.end(), found.begin(), found.end());
    } catch (const spirv_cross::CompilerError &) {
        SPDLOG_LOGGER_CRITICAL(&logger, "Failed to enumerate input variables");
    }
}

bool compatible(const ResourceSet &earlier, const ResourceSet &later)
{
    for (const ResourceBinding &binding : later.bindings) {
        for (const ResourceBinding &existing : earlier.bindings) {
            if (existing.binding == binding.binding &&
                (existing.count != binding.count || existing.type != binding.type))
                return false;
        }
    }
    return true;
}

void mergeInto(ResourceSet &earlier, const ResourceSet &later)
{
    for (const ResourceBinding &binding : later.bindings) {
        const auto existing = std::find_if(earlier.bindings.begin(), earlier.bindings.end(),
                                           [&](const ResourceBinding &b) { return b.binding == binding.binding; });
        if (existing != earlier.bindings.end())
            existing->stages |= binding.stages;
        else
            earlier.bindings.push_back(binding);
    }
}

} // namespace

void introspectShaderModule(std::span<const uint32_t> code, ResourceFormat &format, spdlog::logger &logger,
                            std::vector<ShaderAttribute> *attributes)
{
    std::unique_ptr<spirv_cross::Compiler> compiler;
    try {
        compiler = std::make_unique<spirv_cross::Compiler>(code.data(), code.size());
    } catch (const spirv_cross::CompilerError &error) {
        SPDLOG_LOGGER_WARN(&logger, "Shader Module Introspection Failed: {}", error.what());
        return;
    }
    introspectDescriptorSets(*compiler, format, logger);
    introspectPushConstantRanges(*compiler, format, logger);
    if (attributes)
        introspectInputVariables(*compiler, *attributes, logger);
}

MergeResult mergeResourceFormat(ResourceFormat &format)
{
    MergeResult result;
    std::vector<ResourceSet> sets = format.sets;
    std::stable_sort(sets.begin(), sets.end(),
                     [](const ResourceSet &a, const ResourceSet &b) { return a.set < b.set; });

    std::vector<ResourceSet> merged;
    for (ResourceSet &set : sets) {
        // Each entry is joined into the entry kept before it when both have the same number; entries that
        // cannot be joined stay side by side.
        if (merged.empty() || merged.back().set != set.set) {
            merged.push_back(std::move(set));
        } else if (compatible(merged.back(), set)) {
            mergeInto(merged.back(), set);
        } else {
            result.ok = false;
            result.errors.push_back(
                    fmt::format("Found multiple incompatible descriptor sets with set number = {}", set.set));
            merged.push_back(std::move(set));
        }
    }
    for (ResourceSet &set : merged) {
        std::stable_sort(set.bindings.begin(), set.bindings.end(),
                         [](const ResourceBinding &a, const ResourceBinding &b) { return a.binding < b.binding; });
    }
    format.sets = std::move(merged);
    return result;
}

} // namespace Orvane::Render
