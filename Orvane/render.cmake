# Rendering support: shader introspection and the embedded file tree holding the engine's own shaders
# (compiled from shaders/ with glslc at build time and embedded as generated sources).
include(ShaderBuild)
find_package(spirv_cross_core CONFIG REQUIRED)

set(engine_shader_dir ${PROJECT_SOURCE_DIR}/shaders)
set(engine_spirv_dir ${CMAKE_CURRENT_BINARY_DIR}/shaders)
tavisher_compile_shaders(SOURCE_DIR ${engine_shader_dir} OUTPUT_DIR ${engine_spirv_dir}
  SOURCES null.vert null.frag stereo/fsq.vert stereo/stereo-fsq.frag stereo/anaglyph-fsq.frag)

# Both composition passes use the same full-screen-quad vertex shader.
tavisher_embed_files(${CMAKE_CURRENT_BINARY_DIR}/embedded_shaders.cpp FILES
  shaders/null.vert.spv ${engine_spirv_dir}/null.vert.spv
  shaders/null.frag.spv ${engine_spirv_dir}/null.frag.spv
  shaders/stereo/anaglyph-fsq.vert.spv ${engine_spirv_dir}/stereo/fsq.vert.spv
  shaders/stereo/anaglyph-fsq.frag.spv ${engine_spirv_dir}/stereo/anaglyph-fsq.frag.spv
  shaders/stereo/stereo-fsq.vert.spv ${engine_spirv_dir}/stereo/fsq.vert.spv
  shaders/stereo/stereo-fsq.frag.spv ${engine_spirv_dir}/stereo/stereo-fsq.frag.spv)

target_sources(Orvane PRIVATE
  src/render/embedded_filesystem.cpp
  src/render/shader_introspection.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/embedded_shaders.cpp)
target_link_libraries(Orvane PUBLIC TbGpu PRIVATE spirv-cross-core)

if(TAVISHER_BUILD_TESTS)
  set(introspection_shader_dir ${CMAKE_CURRENT_SOURCE_DIR}/tests/render/shaders)
  set(introspection_spirv_dir ${CMAKE_CURRENT_BINARY_DIR}/tests/render/shaders)
  tavisher_compile_shaders(SOURCE_DIR ${introspection_shader_dir} OUTPUT_DIR ${introspection_spirv_dir}
    SOURCES kinds.vert kinds.frag conflict.frag OUT_VAR introspection_spirv)
  add_custom_target(OrvaneIntrospectionShaders DEPENDS ${introspection_spirv})

  tavisher_add_test(OrvaneRenderUtilityTests
    LABELS render
    SOURCES
      tests/render/embedded_filesystem_test.cpp
      tests/render/shader_introspection_test.cpp
    LIBRARIES Orvane)
  add_dependencies(OrvaneRenderUtilityTests OrvaneIntrospectionShaders)
  target_compile_definitions(OrvaneRenderUtilityTests PRIVATE INTROSPECTION_SHADER_DIR="${introspection_spirv_dir}")
endif()
