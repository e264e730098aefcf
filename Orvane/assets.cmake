# Assets: the CPU-side resources the scene refers to. The DDS reader turns DirectDraw Surface files into
# texel data in TbGpu formats for the texture code; the polygon triangulation splits the polygon faces of
# OBJ files into triangles.
target_sources(Orvane PRIVATE
  src/assets/dds_image.cpp
  src/assets/polygon_triangulation.cpp)

if(TAVISHER_BUILD_TESTS)
  tavisher_add_test(OrvaneDdsTests
    LABELS assets
    SOURCES
      tests/assets/dds_image_test.cpp
    LIBRARIES Orvane)
  tavisher_add_test(OrvanePolygonTriangulationTests
    LABELS assets
    SOURCES
      tests/assets/polygon_triangulation_test.cpp
    LIBRARIES Orvane)
endif()

# ---------------------------------------------------------------------------------------------------------
# The scene's resources: buffers, meshes with the OBJ loader, materials and lights, shader programs,
# textures (ordinary images through stb_image, DDS through the reader above), the mesh renderer with its
# render state set and bounding spheres.
find_package(tinyobjloader CONFIG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)

target_sources(Orvane PRIVATE
  src/assets/buffer.cpp
  src/assets/light.cpp
  src/assets/material.cpp
  src/assets/mesh.cpp
  src/assets/mesh_renderer.cpp
  src/assets/obj_mesh_loader.cpp
  src/assets/render_state_set.cpp
  src/assets/shader_program.cpp
  src/assets/spirv_shader_program.cpp
  src/assets/texture.cpp
  src/assets/texture_2d.cpp)
target_link_libraries(Orvane PRIVATE tinyobjloader::tinyobjloader PkgConfig::STB)

if(TAVISHER_BUILD_TESTS)
  include(ShaderBuild)
  set(asset_shader_dir ${CMAKE_CURRENT_SOURCE_DIR}/tests/assets/shaders)
  set(asset_spirv_dir ${CMAKE_CURRENT_BINARY_DIR}/tests/assets/shaders)
  tavisher_compile_shaders(SOURCE_DIR ${asset_shader_dir} OUTPUT_DIR ${asset_spirv_dir}
    SOURCES position.vert texcoord.vert vertex_index.vert unnamed_position.vert sampler_at_zero.frag fill.comp
    OUT_VAR asset_spirv)
  add_custom_target(OrvaneAssetTestShaders DEPENDS ${asset_spirv})

  tavisher_add_test(OrvaneAssetTests
    LABELS assets
    SOURCES
      tests/assets/buffer_test.cpp
      tests/assets/mesh_test.cpp
      tests/assets/material_light_test.cpp
      tests/assets/shader_program_test.cpp
      tests/assets/texture_test.cpp
      tests/assets/mesh_renderer_test.cpp
      tests/assets/render_state_set_test.cpp
      tests/assets/bad_input_test.cpp
    LIBRARIES Orvane PkgConfig::STB)
  add_dependencies(OrvaneAssetTests OrvaneAssetTestShaders)
  target_compile_definitions(OrvaneAssetTests PRIVATE
    ASSET_TEST_SHADER_DIR="${asset_spirv_dir}"
    SCENE_SOURCE_DIR="${PROJECT_SOURCE_DIR}/scene"
    SCENE_SPIRV_DIR="${CMAKE_BINARY_DIR}/app/scene")
  # The scene shaders are built by the scene folder, which the top level adds after the libraries.
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tavisher_assets_scene_dependency)
  function(tavisher_assets_scene_dependency)
    if(TARGET scene_files)
      add_dependencies(OrvaneAssetTests scene_files)
    endif()
  endfunction()
endif()
