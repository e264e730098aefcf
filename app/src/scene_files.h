#pragma once

#include <string>

namespace ovi {

// The files the viewer's scene is made of, relative to where they are looked for.
inline constexpr const char *sceneVertexShaderFile = "scene/multiview-scene.vert.spv";
inline constexpr const char *sceneFragmentShaderFile = "scene/multiview-scene.frag.spv";
inline constexpr const char *sceneModelFile = "scene/cottage.obj";
inline constexpr const char *sceneTextureFile = "scene/cottage_diffuse.png";

// Where to open a scene file: relative to the working directory when it is there, otherwise beside the
// executable (QCoreApplication::applicationDirPath()) when it is there, so the viewer finds its scene wherever it
// is started from. When neither has it, the relative path itself, for the message that names the missing file.
std::string findSceneFile(const std::string &relativePath);

} // namespace ovi
