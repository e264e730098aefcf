#pragma once

namespace TbGpu {

// Kinds whose records have no operations of their own. These empty bases only name the kind across the manager
// interface, so that get operations can return a typed pointer; the backend's records derive from them.
struct ApiSurface { };
struct ApiTextureView { };
struct ApiSampler { };
struct ApiShaderModule { };
struct ApiBindGroupLayout { };
struct ApiPipelineLayout { };
struct ApiGraphicsPipeline { };
struct ApiComputePipeline { };

} // namespace TbGpu
