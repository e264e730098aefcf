#pragma once

#include <Orvane/render/stereo_forward_algorithm.h>

#include <QString>

#include <vector>

namespace ovi {

// The ways the two eyes reach the screen, as the viewer offers them: for red/cyan glasses, for 3D TVs that take
// squeezed pairs, for free viewing, for one eye, and the layered image itself where the window takes it.
enum class StereoOutputMode {
    Anaglyph,
    AnaglyphLeastSquares,
    SideBySide, // each eye at full proportions in its half of the view
    HalfSideBySide, // each eye squeezed into its half, for 3D TVs
    TopBottom, // each eye squeezed into its half, for 3D TVs
    LeftEye,
    RightEye,
    Layered,
};

struct StereoOutputModeInfo {
    StereoOutputMode mode;
    const char *name;
    int key; // the Qt key that selects it
};

// Every mode, in the order of their keys 1 to 8.
const std::vector<StereoOutputModeInfo> &stereoOutputModes();
const StereoOutputModeInfo *stereoOutputModeForKey(int key);

// How the stereo forward algorithm composes the eyes for the mode.
Orvane::StereoForwardAlgorithm::StereoMode engineStereoMode(StereoOutputMode mode);

// The width each eye's projection gets, as a share of the view's: a full side-by-side pair draws each eye for
// half the width, so that its half shows it in its own proportions.
float eyeWidthShare(StereoOutputMode mode);

// The keys, for the help dialog (F1) and the README.
QString stereoOutputHelp();

} // namespace ovi
