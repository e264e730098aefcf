#include "stereo_output.h"

#include <Qt>

namespace ovi {

using EngineMode = Orvane::StereoForwardAlgorithm::StereoMode;

const std::vector<StereoOutputModeInfo> &stereoOutputModes()
{
    static const std::vector<StereoOutputModeInfo> modes{
        { StereoOutputMode::Anaglyph, "Anaglyph red/cyan", Qt::Key_1 },
        { StereoOutputMode::AnaglyphLeastSquares, "Anaglyph red/cyan, least squares (less rivalry)", Qt::Key_2 },
        { StereoOutputMode::SideBySide, "Side by side (free viewing)", Qt::Key_3 },
        { StereoOutputMode::HalfSideBySide, "Half side by side (3D TV)", Qt::Key_4 },
        { StereoOutputMode::TopBottom, "Top and bottom (3D TV)", Qt::Key_5 },
        { StereoOutputMode::LeftEye, "Left eye", Qt::Key_6 },
        { StereoOutputMode::RightEye, "Right eye", Qt::Key_7 },
        { StereoOutputMode::Layered, "Layered (displays that take both eyes as layers)", Qt::Key_8 },
    };
    return modes;
}

const StereoOutputModeInfo *stereoOutputModeForKey(int key)
{
    for (const StereoOutputModeInfo &info : stereoOutputModes()) {
        if (info.key == key)
            return &info;
    }
    return nullptr;
}

EngineMode engineStereoMode(StereoOutputMode mode)
{
    switch (mode) {
    case StereoOutputMode::Anaglyph:
        return EngineMode::Anaglyph;
    case StereoOutputMode::AnaglyphLeastSquares:
        return EngineMode::AnaglyphLeastSquares;
    case StereoOutputMode::SideBySide:
    case StereoOutputMode::HalfSideBySide:
        return EngineMode::SideBySide;
    case StereoOutputMode::TopBottom:
        return EngineMode::TopBottom;
    case StereoOutputMode::LeftEye:
        return EngineMode::LeftEyeOnly;
    case StereoOutputMode::RightEye:
        return EngineMode::RightEyeOnly;
    case StereoOutputMode::Layered:
        return EngineMode::MultiviewDirect;
    }
    return EngineMode::Anaglyph;
}

float eyeWidthShare(StereoOutputMode mode)
{
    return mode == StereoOutputMode::SideBySide ? 0.5f : 1.0f;
}

QString stereoOutputHelp()
{
    QString text = QStringLiteral("Stereo output\n\n");
    for (const StereoOutputModeInfo &info : stereoOutputModes())
        text += QStringLiteral("%1\t%2\n").arg(QChar(u'0' + (info.key - Qt::Key_0)), QString::fromUtf8(info.name));
    text += QStringLiteral("S\tSwap the eyes (cross-eyed viewing of side-by-side pairs)\n"
                           "\nCamera\n\n"
                           "Left drag\tTurn around the model\n"
                           "Wheel\tMove nearer or farther\n"
                           "Alt+Return\tFull screen\n"
                           "Escape\tLeave full screen\n"
                           "F1\tThis help\n");
    return text;
}

} // namespace ovi
