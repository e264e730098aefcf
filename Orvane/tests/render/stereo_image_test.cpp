// What the stereo forward algorithm draws, read back from offscreen targets: the viewer's cottage in both eyes,
// the parallax of points on and off the focus plane, and the composed images.

#include "stereo_scene_test.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <tuple>

namespace Orvane::Test {
namespace {

using Mode = StereoForwardAlgorithm::StereoMode;

// The mean x of the pixels of an image (or of its columns [from, to)) brighter than the background.
std::optional<double> litCentroidX(const Image &image, uint32_t from = 0, uint32_t to = ~0u)
{
    double sum = 0.0;
    uint64_t count = 0;
    to = std::min(to, image.width);
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = from; x < to; ++x) {
            const uint8_t *p = image.at(x, y);
            if (p[0] + p[1] + p[2] > 30) {
                sum += x;
                ++count;
            }
        }
    }
    if (count == 0)
        return std::nullopt;
    return sum / double(count);
}

constexpr uint32_t W = 96;
constexpr uint32_t H = 64;

class StereoImageTest : public StereoSceneTest
{
protected:
    // A grey square nearer than the focus plane (crossed parallax), drawn for both eyes into target 0 and composed
    // in `mode` into target 1, on black. Notes the square's mean column in each eye and its grey.
    StereoForwardAlgorithm *startComposedSquare(StereoForwardAlgorithm::StereoMode mode)
    {
        StereoCamera *eyes = addCamera({ 0.0f, 0.0f, 10.0f }, 0.6f, 10.0f, float(W) / H);
        addSquare({ 0.0f, 0.0f, 5.0f }, 0.8f);
        auto *algorithm = startStereo({ offscreenReference(W, H, 2), offscreenReference(W, H, 1) }, 0, 1, mode, eyes);
        algorithm->clearColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
        runFrames(3);
        const std::vector<Image> eyesImage = readTarget(0);
        left = litCentroidX(eyesImage[0]).value_or(0.0);
        right = litCentroidX(eyesImage[1]).value_or(0.0);
        squareGrey = eyesImage[0].at(uint32_t(left), H / 2)[0];
        return algorithm;
    }

    double left{ 0.0 };
    double right{ 0.0 };
    double squareGrey{ 0.0 };
};

TEST_F(StereoImageTest, CottageIsDrawnTexturedAndLitInBothEyes)
{
    addLights();
    addCottage();
    StereoCamera *eyes = addCamera({ 0.0f, 6.0f, 16.0f }, 0.06f, 17.0f, float(W) / H);
    auto *algorithm = startStereo({ offscreenReference(W, H, 2) }, 0, 0, Mode::MultiviewDirect, eyes);
    runFrames(3);
    const std::vector<Image> layers = readTarget(0);
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_FALSE(algorithm->meshRendererEntries().front().dirty);

    for (const Image &layer : layers) {
        uint64_t covered = 0;
        std::set<uint32_t> colours;
        for (uint32_t y = 0; y < H; ++y) {
            for (uint32_t x = 0; x < W; ++x) {
                const uint8_t *p = layer.at(x, y);
                // The clear colour is 0.2 grey (51); anything else is the model.
                if (std::abs(p[0] - 51) > 3 || std::abs(p[1] - 51) > 3 || std::abs(p[2] - 51) > 3) {
                    ++covered;
                    colours.insert(uint32_t(p[0] / 8) << 10 | uint32_t(p[1] / 8) << 5 | uint32_t(p[2] / 8));
                }
            }
        }
        const double share = double(covered) / (W * H);
        EXPECT_GT(share, 0.08) << "the cottage covers too little of the frame";
        EXPECT_LT(share, 0.95) << "the cottage covers the whole frame";
        EXPECT_GT(colours.size(), 20u) << "a flat colour, not a lit texture";
    }
    EXPECT_NE(layers[0].pixels, layers[1].pixels) << "both eyes drew the same image";
}

// A window that is not shown yet (or is minimised) has no pixels: its targets start without a size, frames go on,
// and the scene is drawn once the window has one (the target and its depth and multisample images are made again).
TEST_F(StereoImageTest, ATargetWithoutPixelsIsDrawnOnceItHasSome)
{
    addLights();
    addCottage();
    StereoCamera *eyes = addCamera({ 0.0f, 6.0f, 16.0f }, 0.06f, 17.0f, float(W) / H);
    auto window = std::make_shared<FixedExtentWatcher>(0, 0);
    RenderTargetReference scene;
    scene.type = RenderTargetReference::Offscreen;
    scene.extentWatcher = window;
    scene.layers = 2;
    auto *algorithm = startStereo({ scene }, 0, 0, Mode::MultiviewDirect, eyes);
    algorithm->clearColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    runFrames(2);

    window->widthValue = W;
    window->heightValue = H;
    runFrames(3);
    const std::vector<Image> layers = readTarget(0);
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0].width, W);
    EXPECT_TRUE(litCentroidX(layers[0]).has_value()) << "the cottage is drawn once the target has pixels";
}

TEST_F(StereoImageTest, PointsOnTheFocusPlaneCoincideAndNearerOnesShiftApart)
{
    // The camera at z = 10 looks at the origin with its focus plane through it.
    StereoCamera *eyes = addCamera({ 0.0f, 0.0f, 10.0f }, 0.5f, 10.0f, float(W) / H);
    addSquare({ -1.5f, 0.0f, 0.0f }, 1.0f); // on the focus plane, left of centre
    addSquare({ 1.0f, 0.0f, 5.0f }, 0.5f); // half way to the camera, right of centre
    auto *algorithm = startStereo({ offscreenReference(W, H, 2) }, 0, 0, Mode::MultiviewDirect, eyes);
    algorithm->clearColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    runFrames(3);
    const std::vector<Image> layers = readTarget(0);
    ASSERT_EQ(layers.size(), 2u);

    const auto farLeft = litCentroidX(layers[0], 0, W / 2);
    const auto farRight = litCentroidX(layers[1], 0, W / 2);
    const auto nearLeft = litCentroidX(layers[0], W / 2, W);
    const auto nearRight = litCentroidX(layers[1], W / 2, W);
    ASSERT_TRUE(farLeft && farRight && nearLeft && nearRight);
    EXPECT_NEAR(*farLeft, *farRight, 0.5) << "a point on the focus plane has no parallax";
    // The left eye sees a near point further right than the right eye does (crossed parallax).
    EXPECT_GT(*nearLeft - *nearRight, 2.0);

    // The layers differ only by a horizontal shift: the rows the squares cover are the same in both.
    for (uint32_t y = 0; y < H; ++y) {
        auto rowLit = [&](const Image &image) {
            for (uint32_t x = 0; x < W; ++x) {
                if (image.at(x, y)[0] > 10)
                    return true;
            }
            return false;
        };
        EXPECT_EQ(rowLit(layers[0]), rowLit(layers[1])) << "row " << y;
    }
}

TEST_F(StereoImageTest, DisparityAndOrbitChangeTheImages)
{
    StereoCamera *eyes = addCamera({ 0.0f, 0.0f, 10.0f }, 0.0f, 10.0f, float(W) / H);
    addSquare({ 0.0f, 0.0f, 5.0f }, 1.0f);
    auto *algorithm = startStereo({ offscreenReference(W, H, 2) }, 0, 0, Mode::MultiviewDirect, eyes);
    algorithm->clearColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    runFrames(3);
    std::vector<Image> layers = readTarget(0);
    EXPECT_EQ(layers[0].pixels, layers[1].pixels) << "without disparity both eyes see the same";
    const double centred = *litCentroidX(layers[0]);

    eyes->interocularDistance = 0.4f;
    runFrames(3);
    layers = readTarget(0);
    EXPECT_GT(*litCentroidX(layers[0]), *litCentroidX(layers[1]) + 1.0);

    // Turning the camera to look from the left side moves the square to the right of the view.
    eyes->interocularDistance = 0.0f;
    eyes->position = glm::vec3(-4.0f, 0.0f, 9.0f);
    eyes->viewDirection = glm::normalize(glm::vec3(4.0f, 0.0f, -9.0f));
    eyes->updateViewMatrices();
    runFrames(3);
    layers = readTarget(0);
    EXPECT_GT(*litCentroidX(layers[0]), centred + 2.0);
}

TEST_F(StereoImageTest, ComposedModesShowTheEyesAsTheyShould)
{
    StereoForwardAlgorithm *algorithm = startComposedSquare(Mode::Anaglyph);
    ASSERT_GT(left, right + 2.0);

    // Anaglyph: the left eye's square in red only, the right eye's in green and blue only.
    Image anaglyph = readTarget(1).at(0);
    double redSum = 0, redCount = 0, cyanSum = 0, cyanCount = 0;
    for (uint32_t y = 0; y < H; ++y) {
        for (uint32_t x = 0; x < W; ++x) {
            const uint8_t *p = anaglyph.at(x, y);
            if (p[0] > 20 && p[1] < 5 && p[2] < 5)
                redSum += x, ++redCount;
            if (p[0] < 5 && p[1] > 20 && p[2] > 20)
                cyanSum += x, ++cyanCount;
        }
    }
    ASSERT_GT(redCount, 0);
    ASSERT_GT(cyanCount, 0);
    EXPECT_GT(redSum / redCount, cyanSum / cyanCount) << "red (left eye) must lie right of cyan (right eye)";

    // Side by side: each half shows one eye, squeezed to half the width.
    algorithm->stereoMode = Mode::SideBySide;
    runFrames(3);
    Image sideBySide = readTarget(1).at(0);
    const double leftHalf = *litCentroidX(sideBySide, 0, W / 2);
    const double rightHalf = *litCentroidX(sideBySide, W / 2, W) - W / 2;
    EXPECT_NEAR(leftHalf, left / 2, 1.0);
    EXPECT_NEAR(rightHalf, right / 2, 1.0);

    // One eye over the whole target.
    for (const auto &[mode, expected] :
         { std::pair{ Mode::LeftEyeOnly, left }, std::pair{ Mode::RightEyeOnly, right } }) {
        algorithm->stereoMode = mode;
        runFrames(3);
        EXPECT_NEAR(*litCentroidX(readTarget(1).at(0)), expected, 0.75) << int(mode);
    }
}

// The brightest colour of the pixels of an image that are red only (left eye only) and cyan only (right eye only),
// and the mean column of each region.
struct AnaglyphRegions {
    glm::dvec3 red{ 0.0 };
    glm::dvec3 cyan{ 0.0 };
    double redCentroid{ 0.0 };
    double cyanCentroid{ 0.0 };
};

AnaglyphRegions anaglyphRegions(const Image &image)
{
    AnaglyphRegions regions;
    double reds = 0, cyans = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint8_t *p = image.at(x, y);
            const glm::dvec3 colour(p[0], p[1], p[2]);
            if (p[0] > 20 && p[1] < 5 && p[2] < 5) {
                regions.red = glm::max(regions.red, colour);
                regions.redCentroid += x;
                ++reds;
            } else if (p[0] < 5 && p[1] > 20 && p[2] > 20) {
                regions.cyan = glm::max(regions.cyan, colour);
                regions.cyanCentroid += x;
                ++cyans;
            }
        }
    }
    EXPECT_GT(reds, 0.0);
    EXPECT_GT(cyans, 0.0);
    regions.redCentroid /= std::max(reds, 1.0);
    regions.cyanCentroid /= std::max(cyans, 1.0);
    return regions;
}

TEST_F(StereoImageTest, TopBottomSwappedEyesAndLeastSquaresAnaglyph)
{
    StereoForwardAlgorithm *algorithm = startComposedSquare(Mode::TopBottom);
    ASSERT_GT(left, right + 2.0);

    // Top and bottom: the left eye in the upper half, the right eye in the lower, each at full width.
    auto halves = [&](const Image &image) {
        const uint64_t half = uint64_t(W) * (H / 2) * 4;
        Image top{ W, H / 2, { image.pixels.begin(), image.pixels.begin() + half } };
        Image bottom{ W, H / 2, { image.pixels.begin() + half, image.pixels.begin() + 2 * half } };
        return std::pair{ *litCentroidX(top), *litCentroidX(bottom) };
    };
    auto [top, bottom] = halves(readTarget(1).at(0));
    EXPECT_NEAR(top, left, 0.75);
    EXPECT_NEAR(bottom, right, 0.75);

    // Swapped eyes: each place shows the other eye.
    algorithm->swapEyes = true;
    runFrames(3);
    std::tie(top, bottom) = halves(readTarget(1).at(0));
    EXPECT_NEAR(top, right, 0.75);
    EXPECT_NEAR(bottom, left, 0.75);
    algorithm->stereoMode = Mode::Anaglyph;
    runFrames(3);
    AnaglyphRegions swapped = anaglyphRegions(readTarget(1).at(0));
    EXPECT_LT(swapped.redCentroid, swapped.cyanCentroid) << "red now shows the right eye";

    // Least squares: the grey square seen by the left eye only maps to left matrix x grey, red only; seen by the
    // right eye only to right matrix x grey, cyan. The plain split would give the grey itself in both.
    algorithm->swapEyes = false;
    algorithm->stereoMode = Mode::AnaglyphLeastSquares;
    runFrames(3);
    const AnaglyphRegions leastSquares = anaglyphRegions(readTarget(1).at(0));
    EXPECT_GT(leastSquares.redCentroid, leastSquares.cyanCentroid);
    const double white = squareGrey;
    ASSERT_GT(white, 20.0);
    EXPECT_NEAR(leastSquares.red.r, white * (0.456 + 0.500 + 0.176), 3.0);
    EXPECT_NEAR(leastSquares.cyan.g, white * (0.378 + 0.734 - 0.018), 3.0);
    EXPECT_NEAR(leastSquares.cyan.b, white * (-0.072 - 0.113 + 1.226), 3.0);
}

} // namespace
} // namespace Orvane::Test
