#pragma once

// A render engine drawing into a small offscreen target with the clear algorithm, and shader programs built from
// the render tests' own shaders.

#include "render_test_support.h"

#include <Orvane/assets/shader_program.h>

#include <memory>
#include <string>

namespace Orvane::Test {

inline std::string renderTestShader(const std::string &name)
{
    return std::string(RENDER_TEST_SHADER_DIR) + "/" + name + ".spv";
}

class OffscreenSceneTest : public RenderEngineTest
{
protected:
    void SetUp() override
    {
        RenderEngineTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        algorithm = start({ offscreenReference(4, 4, 1) });
    }

    // A program of the scene (a child of the root) with the shared vertex shader and the given fragment shader.
    ShaderProgram *program(const std::string &fragment)
    {
        auto created = std::make_unique<SpirVShaderProgram>();
        created->vertexShader = renderTestShader("sets.vert");
        created->fragmentShader = renderTestShader(fragment);
        return root->addChild(std::move(created));
    }

    ClearAlgorithm *algorithm{ nullptr };
};

} // namespace Orvane::Test
