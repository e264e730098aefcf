#pragma once

// SPIR-V of the test shaders, compiled at build time into TBGPU_TEST_SHADER_DIR.

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace TbGpuTest {

inline std::vector<uint32_t> readSpirv(const std::string &name)
{
    std::ifstream file(std::string(TBGPU_TEST_SHADER_DIR) + "/" + name, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<uint32_t> words(bytes.size() / sizeof(uint32_t));
    std::copy(bytes.begin(), bytes.begin() + words.size() * sizeof(uint32_t), reinterpret_cast<char *>(words.data()));
    return words;
}

} // namespace TbGpuTest
