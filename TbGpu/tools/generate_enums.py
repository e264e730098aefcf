#!/usr/bin/env python3
"""Writes include/TbGpu/enums.h: the library's enumerations, each enumerator carrying the numeric value of its
Vulkan counterpart, read from the installed vulkan_core.h. Run by hand when the Vulkan headers move on:
    python3 TbGpu/tools/generate_enums.py /usr/include/vulkan/vulkan_core.h > TbGpu/include/TbGpu/enums.h
"""
import re
import sys

VENDORS = ("KHR", "EXT", "AMD", "NV", "NVX", "INTEL", "QCOM", "ARM", "HUAWEI", "VALVE", "GOOGLE", "FUCHSIA",
           "IMG", "MESA", "SEC", "QNX", "MSFT", "LUNARG", "ANDROID", "GGP", "NN", "MVK", "JUICE", "FB")

# (library name, Vulkan type, enumerator prefix, underlying type, is a flag-bit type, camel case names)
TABLE = [
    ("ResultCode", "VkResult", "VK_", "int32_t", False, True),
    ("Format", "VkFormat", "VK_FORMAT_", "uint32_t", False, False),
    ("BufferUsageFlagBits", "VkBufferUsageFlagBits", "VK_BUFFER_USAGE_", "uint32_t", True, True),
    ("TextureUsageFlagBits", "VkImageUsageFlagBits", "VK_IMAGE_USAGE_", "uint32_t", True, True),
    ("SampleCountFlagBits", "VkSampleCountFlagBits", "VK_SAMPLE_COUNT_", "uint32_t", True, True),
    ("TextureTiling", "VkImageTiling", "VK_IMAGE_TILING_", "uint32_t", False, True),
    ("SharingMode", "VkSharingMode", "VK_SHARING_MODE_", "uint32_t", False, True),
    ("TextureLayout", "VkImageLayout", "VK_IMAGE_LAYOUT_", "uint32_t", False, True),
    ("ViewType", "VkImageViewType", "VK_IMAGE_VIEW_TYPE_", "uint32_t", False, True),
    ("TextureAspectFlagBits", "VkImageAspectFlagBits", "VK_IMAGE_ASPECT_", "uint32_t", True, True),
    ("FilterMode", "VkFilter", "VK_FILTER_", "uint32_t", False, True),
    ("MipmapFilterMode", "VkSamplerMipmapMode", "VK_SAMPLER_MIPMAP_MODE_", "uint32_t", False, True),
    ("AddressMode", "VkSamplerAddressMode", "VK_SAMPLER_ADDRESS_MODE_", "uint32_t", False, True),
    ("CompareOperation", "VkCompareOp", "VK_COMPARE_OP_", "uint32_t", False, True),
    ("StencilOperation", "VkStencilOp", "VK_STENCIL_OP_", "uint32_t", False, True),
    ("ShaderStageFlagBits", "VkShaderStageFlagBits", "VK_SHADER_STAGE_", "uint32_t", True, True),
    ("ResourceBindingType", "VkDescriptorType", "VK_DESCRIPTOR_TYPE_", "uint32_t", False, True),
    ("VertexRate", "VkVertexInputRate", "VK_VERTEX_INPUT_RATE_", "uint32_t", False, True),
    ("PrimitiveTopology", "VkPrimitiveTopology", "VK_PRIMITIVE_TOPOLOGY_", "uint32_t", False, True),
    ("PolygonMode", "VkPolygonMode", "VK_POLYGON_MODE_", "uint32_t", False, True),
    ("CullModeFlagBits", "VkCullModeFlagBits", "VK_CULL_MODE_", "uint32_t", True, True),
    ("FrontFace", "VkFrontFace", "VK_FRONT_FACE_", "uint32_t", False, True),
    ("BlendFactor", "VkBlendFactor", "VK_BLEND_FACTOR_", "uint32_t", False, True),
    ("BlendOperation", "VkBlendOp", "VK_BLEND_OP_", "uint32_t", False, True),
    ("ColorComponentFlagBits", "VkColorComponentFlagBits", "VK_COLOR_COMPONENT_", "uint32_t", True, True),
    ("DynamicState", "VkDynamicState", "VK_DYNAMIC_STATE_", "uint32_t", False, True),
    ("AttachmentLoadOperation", "VkAttachmentLoadOp", "VK_ATTACHMENT_LOAD_OP_", "uint32_t", False, True),
    ("AttachmentStoreOperation", "VkAttachmentStoreOp", "VK_ATTACHMENT_STORE_OP_", "uint32_t", False, True),
    ("ResolveModeFlagBits", "VkResolveModeFlagBits", "VK_RESOLVE_MODE_", "uint32_t", True, True),
    ("IndexType", "VkIndexType", "VK_INDEX_TYPE_", "uint32_t", False, True),
    ("CommandBufferLevel", "VkCommandBufferLevel", "VK_COMMAND_BUFFER_LEVEL_", "uint32_t", False, True),
    ("PresentMode", "VkPresentModeKHR", "VK_PRESENT_MODE_", "uint32_t", False, True),
    ("ColorSpace", "VkColorSpaceKHR", "VK_COLOR_SPACE_", "uint32_t", False, True),
    ("SurfaceTransformFlagBits", "VkSurfaceTransformFlagBitsKHR", "VK_SURFACE_TRANSFORM_", "uint32_t", True, True),
    ("CompositeAlphaFlagBits", "VkCompositeAlphaFlagBitsKHR", "VK_COMPOSITE_ALPHA_", "uint32_t", True, True),
    ("QueueFlagBits", "VkQueueFlagBits", "VK_QUEUE_", "uint32_t", True, True),
    ("FormatFeatureFlagBits", "VkFormatFeatureFlagBits", "VK_FORMAT_FEATURE_", "uint32_t", True, True),
    ("ExternalMemoryHandleTypeFlagBits", "VkExternalMemoryHandleTypeFlagBits", "VK_EXTERNAL_MEMORY_HANDLE_TYPE_",
     "uint32_t", True, True),
    ("ExternalSemaphoreHandleTypeFlagBits", "VkExternalSemaphoreHandleTypeFlagBits",
     "VK_EXTERNAL_SEMAPHORE_HANDLE_TYPE_", "uint32_t", True, True),
    ("AccessFlagBits", "VkAccessFlagBits2", "VK_ACCESS_2_", "uint64_t", True, True),
    ("PipelineStageFlagBits", "VkPipelineStageFlagBits2", "VK_PIPELINE_STAGE_2_", "uint64_t", True, True),
]


def read_enum(text, vk_type):
    """Returns [(name, value)] of a Vulkan enumeration or 64-bit flag constants, aliases left out."""
    entries = []
    block = re.search(r"typedef enum %s \{(.*?)\} %s;" % (vk_type, vk_type), text, re.S)
    if block:
        for name, value in re.findall(r"^\s*(VK_\w+)\s*=\s*([^,\n]+),?$", block.group(1), re.M):
            value = value.strip()
            if value.startswith("VK_") or name.endswith("_MAX_ENUM") or "MAX_ENUM" in name:
                continue
            entries.append((name, int(value, 0)))
        return entries
    for name, value in re.findall(r"static const %s (VK_\w+) = (0x[0-9A-Fa-f]+|\d+)ULL;" % vk_type, text):
        entries.append((name, int(value, 0)))
    if not entries:
        sys.exit("enumeration %s not found" % vk_type)
    return entries


def split_vendor(words):
    if words and words[-1] in VENDORS:
        return words[:-1], words[-1]
    return words, None


def camel(words):
    out = ""
    for w in words:
        if w.isdigit() and out and out[-1].isdigit():
            out += "_"
        if re.fullmatch(r"\d+D", w):
            out += w  # 1D, 2D, 3D stay as written
        else:
            out += w[0].upper() + w[1:].lower() if w else ""
    return out


def convert(entries, prefix, camel_case, lib):
    names = {}
    result = []
    for name, value in entries:
        rest = name[len(prefix):]
        words, vendor = split_vendor(rest.split("_"))
        base = camel(words) if camel_case else "_".join(words)
        if not base or base[0].isdigit():
            base = {"SampleCountFlagBits": "Samples", "ViewType": "ViewType"}.get(lib, lib) + base
        if base in names:
            if names[base] == value:
                continue  # a vendor alias of a core enumerator
            base = base + (camel([vendor]) if camel_case else "_" + vendor)
            if base in names:
                continue
        names[base] = value
        result.append((base, value))
    return result


def main():
    text = open(sys.argv[1]).read()
    out = []
    out.append("// Generated by TbGpu/tools/generate_enums.py from the installed Vulkan headers; do not edit by hand.")
    out.append("// Every enumerator carries the numeric value of its Vulkan counterpart, so converting to Vulkan is a cast.")
    out.append("#pragma once\n\n#include <TbGpu/flags.h>\n\n#include <cstdint>\n\nnamespace TbGpu {\n")
    for lib, vk, prefix, underlying, is_flags, camel_case in TABLE:
        entries = convert(read_enum(text, vk), prefix, camel_case, lib)
        out.append("// %s" % vk)
        out.append("enum class %s : %s {" % (lib, underlying))
        for name, value in entries:
            literal = ("0x%X" % value) if is_flags else str(value)
            if underlying == "uint64_t" and is_flags:
                literal += "ULL"
            out.append("    %s = %s," % (name, literal))
        if underlying in ("uint32_t", "int32_t"):
            out.append("    MaxEnum = 0x7FFFFFFF")
        out.append("};")
        if is_flags:
            plural = lib[:-4] + "s" if lib.endswith("Bits") else lib[:-3] + "s" if lib.endswith("Bit") else lib + "s"
            out.append("TBGPU_DECLARE_FLAGS(%s)" % lib)
            out.append("using %s = Flags<%s>;" % (plural, lib))
        out.append("")
    out.append("} // namespace TbGpu")
    print("\n".join(out))


main()
