# Assets: the CPU-side resources the scene refers to. The DDS reader turns DirectDraw Surface files into
# texel data with Vulkan format numbers for the texture code.
target_sources(Orvane PRIVATE
  src/assets/DdsImage.cpp)

if(TAVISHER_BUILD_TESTS)
  tavisher_add_test(OrvaneDdsTests
    LABELS assets
    SOURCES
      tests/assets/dds_image_test.cpp
    LIBRARIES Orvane)
endif()
