# Helpers shared by every layer: warnings, test registration.

# Warnings on for our own code; third-party headers come in as SYSTEM through their imported targets.
function(tavisher_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endfunction()

# tavisher_add_test(<name> LABELS <label>... SOURCES <file>... LIBRARIES <target>... [ENVIRONMENT <VAR=value>...])
# One GoogleTest executable registered as one CTest test with the layer's labels.
function(tavisher_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock GTest::gtest_main)
  tavisher_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT})
  if(ARG_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
endfunction()
