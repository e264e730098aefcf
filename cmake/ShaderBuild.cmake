# Building shaders: GLSL compiled with glslc at build time, and files embedded into a library as
# generated C++ sources (nothing is copied at run time).

find_package(Vulkan REQUIRED COMPONENTS glslc)

# tavisher_compile_shader(<source> <output.spv> [STAGE <vert|frag|...>])
# Compiles one GLSL file to SPIR-V 1.0 (Vulkan 1.0 environment). The stage comes from the file extension
# unless STAGE is given.
function(tavisher_compile_shader source output)
  cmake_parse_arguments(ARG "" "STAGE" "" ${ARGN})
  set(stage_flag)
  if(ARG_STAGE)
    set(stage_flag -fshader-stage=${ARG_STAGE})
  endif()
  get_filename_component(output_dir "${output}" DIRECTORY)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${output_dir}"
    COMMAND ${Vulkan_GLSLC_EXECUTABLE} --target-env=vulkan1.0 ${stage_flag} -MD -MF "${output}.d"
            -o "${output}" "${source}"
    DEPENDS "${source}"
    DEPFILE "${output}.d"
    COMMENT "Compiling shader ${source}"
    VERBATIM)
endfunction()

# tavisher_compile_shaders(OUTPUT_DIR <dir> SOURCES <file>... [SOURCE_DIR <dir>] [OUT_VAR <var>])
# Compiles each GLSL file, a path relative to SOURCE_DIR (by default the current source folder), to
# <OUTPUT_DIR>/<path>.spv, sub-folders kept, and sets <var> to the list of SPIR-V files.
function(tavisher_compile_shaders)
  cmake_parse_arguments(ARG "" "OUTPUT_DIR;SOURCE_DIR;OUT_VAR" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCE_DIR)
    set(ARG_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(outputs)
  foreach(shader IN LISTS ARG_SOURCES)
    tavisher_compile_shader(${ARG_SOURCE_DIR}/${shader} ${ARG_OUTPUT_DIR}/${shader}.spv)
    list(APPEND outputs ${ARG_OUTPUT_DIR}/${shader}.spv)
  endforeach()
  if(ARG_OUT_VAR)
    set(${ARG_OUT_VAR} ${outputs} PARENT_SCOPE)
  endif()
endfunction()

# tavisher_embed_files(<generated.cpp> FILES <path-in-tree> <file> [<path-in-tree> <file>]...)
# Writes a C++ source holding every file's bytes and a table of (path, begin, end) records, which
# Orvane's embedded file tree reads.
function(tavisher_embed_files generated)
  cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
  set(pairs)
  set(inputs)
  list(LENGTH ARG_FILES count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET ARG_FILES ${i} tree_path)
    list(GET ARG_FILES ${j} file)
    list(APPEND pairs "${tree_path}=${file}")
    list(APPEND inputs "${file}")
  endforeach()
  string(REPLACE ";" "|" pairs_arg "${pairs}")
  add_custom_command(
    OUTPUT "${generated}"
    COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${generated}" "-DPAIRS=${pairs_arg}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedFilesScript.cmake"
    DEPENDS ${inputs} "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedFilesScript.cmake"
    COMMENT "Embedding ${count} files into ${generated}"
    VERBATIM)
endfunction()
