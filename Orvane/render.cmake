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

# ---------------------------------------------------------------------------------------------------------
# The rendering core: deferred deletion and staging per thread, render targets and their managers, the GPU
# storages of scene resources, the render algorithm base with its pipeline caches, the renderer's frame loop and
# the render aspect with its trackers.
target_sources(Orvane PRIVATE
  src/render/resource_deleter.cpp
  src/render/texel_blocks.cpp
  src/render/staging_buffer_pool.cpp
  src/render/thread_resource_registry.cpp
  src/render/swapchain_render_target.cpp
  src/render/offscreen_render_target.cpp
  src/render/swapchain_manager.cpp
  src/render/offscreen_render_area_manager.cpp
  src/render/storages/gpu_transfers.cpp
  src/render/storages/buffer_storage.cpp
  src/render/storages/mesh_storage.cpp
  src/render/storages/texture_storage.cpp
  src/render/storages/shader_program_storage.cpp
  src/render/storages/default_material_storage.cpp
  src/render/storages/light_storage.cpp
  src/render/render_states.cpp
  src/render/pipeline_cache.cpp
  src/render/render_algorithm.cpp
  src/render/renderer.cpp
  src/render/render_trackers.cpp
  src/render/render_aspect.cpp
  src/assets/environment_light.cpp)
target_compile_definitions(Orvane PRIVATE ORVANE_ASSETS_DIR="${CMAKE_CURRENT_BINARY_DIR}")

if(TAVISHER_BUILD_TESTS)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
  set(render_test_environment XDG_RUNTIME_DIR=${CMAKE_CURRENT_BINARY_DIR}/xdg-runtime)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/xdg-runtime)
  file(CHMOD ${CMAKE_CURRENT_BINARY_DIR}/xdg-runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

  set(render_shader_dir ${CMAKE_CURRENT_SOURCE_DIR}/tests/render/shaders)
  set(render_spirv_dir ${CMAKE_CURRENT_BINARY_DIR}/tests/render/shaders)
  set(render_spirv)
  foreach(shader sets.vert sets_a.frag sets_b.frag)
    tavisher_compile_shader(${render_shader_dir}/${shader} ${render_spirv_dir}/${shader}.spv)
    list(APPEND render_spirv ${render_spirv_dir}/${shader}.spv)
  endforeach()
  add_custom_target(OrvaneRenderTestShaders DEPENDS ${render_spirv})

  # The device tests run on the GPU test rig of the GPU library: validation layer on, errors fail the test.
  tavisher_add_test(OrvaneRenderTests
    LABELS render
    SOURCES
      tests/render/staging_and_deletion_test.cpp
      tests/render/renderer_frame_test.cpp
      tests/render/storage_tracking_test.cpp
      tests/render/pipeline_cache_test.cpp
      tests/render/swapchain_choices_test.cpp
    LIBRARIES Orvane TbGpuTestRig
    ENVIRONMENT ${render_test_environment})
  # The churn tests count live device memory allocations in TbGpu's own records.
  target_include_directories(OrvaneRenderTests PRIVATE ${PROJECT_SOURCE_DIR}/TbGpu/src)
  target_compile_definitions(OrvaneRenderTests PRIVATE RENDER_TEST_SHADER_DIR="${render_spirv_dir}")
  add_dependencies(OrvaneRenderTests OrvaneRenderTestShaders)

  # Frames into a window's swapchain; the screen is read back, so these hold the display lock.
  tavisher_add_test(OrvaneRenderWindowTests
    LABELS render
    SOURCES tests/render/renderer_swapchain_test.cpp
    LIBRARIES Orvane TbGpuTestRig PkgConfig::XCB
    ENVIRONMENT ${render_test_environment})
  target_include_directories(OrvaneRenderWindowTests PRIVATE ${PROJECT_SOURCE_DIR}/TbGpu/src)
  set_tests_properties(OrvaneRenderWindowTests PROPERTIES RESOURCE_LOCK x-display)
endif()
