// The stereo forward algorithm's decisions: which phases select an entity, when a rebuild is due, drawing order,
// culling, scissors, composed viewports, model slots and blocks, material bytes, missing targets, and a long run.

#include "stereo_scene_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace Orvane::Test {
namespace {

using Mode = StereoForwardAlgorithm::StereoMode;
using Phase = StereoForwardAlgorithm::RenderPhase;
using Filter = StereoForwardAlgorithm::LayerFilter;
using Sort = StereoForwardAlgorithm::SortMode;

TEST(StereoForwardAlgorithm, LayerFiltersSelectByTheirTest)
{
    struct Case {
        uint32_t phaseMask;
        Filter filter;
        uint32_t entityMask;
        bool selected;
    };
    const Case cases[] = {
        { 0, Filter::AllBits, 0, true },
        { 0, Filter::NoBit, 0, true },
        { 0, Filter::AnyBit, 0, false },
        { 0, Filter::NotAllBits, 0, false },
        { 0b101, Filter::AllBits, 0b111, true },
        { 0b101, Filter::AllBits, 0b100, false },
        { 0b101, Filter::AnyBit, 0b100, true },
        { 0b101, Filter::AnyBit, 0b010, false },
        { 0b101, Filter::NoBit, 0b010, true },
        { 0b101, Filter::NoBit, 0b001, false },
        { 0b101, Filter::NotAllBits, 0b001, true },
        { 0b101, Filter::NotAllBits, 0b101, false },
        { 0, Filter(4), 0, false },
        { 0b1, Filter(77), 0b1, false },
    };
    for (const Case &c : cases) {
        Phase phase;
        phase.layerMask = c.phaseMask;
        phase.layerFilter = c.filter;
        EXPECT_EQ(StereoForwardAlgorithm::selects(phase, c.entityMask), c.selected)
                << "phase mask " << c.phaseMask << ", filter " << uint32_t(c.filter) << ", entity mask "
                << c.entityMask;
    }
}

constexpr uint32_t W = 64;
constexpr uint32_t H = 48;

bool isColour(const uint8_t *p, glm::vec3 rgb, int tolerance = 3)
{
    for (int i = 0; i < 3; ++i) {
        if (std::abs(int(p[i]) - int(rgb[i] * 255.0f + 0.5f)) > tolerance)
            return false;
    }
    return true;
}

// Pixels brighter than a black background.
bool lit(const uint8_t *p)
{
    return p[0] + p[1] + p[2] > 30;
}

uint64_t litCount(const Image &image)
{
    uint64_t count = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x)
            count += lit(image.at(x, y));
    }
    return count;
}

std::optional<double> litCentroidX(const Image &image)
{
    double sum = 0.0;
    uint64_t count = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            if (lit(image.at(x, y))) {
                sum += x;
                ++count;
            }
        }
    }
    if (count == 0)
        return std::nullopt;
    return sum / double(count);
}

class StereoForwardAlgorithmTest : public StereoSceneTest
{
protected:
    // The camera at z = 10 looking down -z at the origin, both eyes at the same place.
    StereoCamera *addCentredCamera(float aspect = float(W) / H) { return addCamera({ 0, 0, 10 }, 0.0f, 10.0f, aspect); }

    StereoForwardAlgorithm *startOnOneTarget(StereoCamera *eyes, uint32_t sampleCount = 1)
    {
        StereoForwardAlgorithm *algorithm =
                startStereo({ offscreenReference(W, H, 2) }, 0, 0, Mode::MultiviewDirect, eyes, sampleCount);
        algorithm->clearColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
        return algorithm;
    }

    // Another mesh renderer with the given mesh and material, on an entity of its own at `centre`.
    Entity *addInstance(Mesh *shared, Material *material, glm::vec3 centre)
    {
        auto entity = std::make_unique<Entity>();
        entity->createComponent<SrtTransform>()->translation = centre;
        auto *meshRenderer = entity->createComponent<MeshRenderer>();
        meshRenderer->mesh = shared;
        meshRenderer->material = material;
        return root->addChildEntity(std::move(entity));
    }

    static Phase phase(Sort sort, bool culling = false)
    {
        Phase made = StereoForwardAlgorithm::defaultPhase();
        made.sortMode = sort;
        made.frustumCulling = culling;
        return made;
    }
};

TEST_F(StereoForwardAlgorithmTest, WithoutMeshRenderersBothLayersShowTheClearColour)
{
    StereoCamera *eyes = addCentredCamera();
    auto *algorithm = startStereo({ offscreenReference(W, H, 2) }, 0, 0, Mode::MultiviewDirect, eyes, 4);
    const glm::vec3 clear(0.25f, 0.5f, 0.75f);
    algorithm->clearColor = glm::vec4(clear, 1.0f);
    runFrames(3);
    const std::vector<Image> layers = readTarget(0);
    ASSERT_EQ(layers.size(), 2u);
    for (const Image &layer : layers) {
        for (uint32_t y = 0; y < H; ++y) {
            for (uint32_t x = 0; x < W; ++x)
                ASSERT_TRUE(isColour(layer.at(x, y), clear)) << x << ", " << y;
        }
    }
}

TEST_F(StereoForwardAlgorithmTest, TargetsAndPhasesRequestARebuildButTheClearColourDoesNot)
{
    StereoCamera *eyes = addCentredCamera();
    auto *algorithm =
            startStereo({ offscreenReference(W, H, 2), offscreenReference(W, H, 1) }, 0, 1, Mode::SideBySide, eyes, 1);
    struct Case {
        const char *change;
        std::function<void()> apply;
        bool rebuild;
    };
    const Case cases[] = {
        { "clear colour", [&] { algorithm->clearColor = glm::vec4(1.0f, 0.0f, 0.0f, 1.0f); }, false },
        { "stereo mode", [&] { algorithm->stereoMode = Mode::Anaglyph; }, false },
        { "present target", [&] { algorithm->presentTargetIndex = 0; }, true },
        { "present target back", [&] { algorithm->presentTargetIndex = 1; }, true },
        { "phases",
          [&] {
              algorithm->renderPhases = { phase(Sort::NoSort), phase(Sort::SortBackToFront) };
          },
          true },
    };
    for (const Case &c : cases) {
        runFrames(2);
        ASSERT_FALSE(algorithm->rebuildNeeded());
        c.apply();
        EXPECT_EQ(algorithm->rebuildNeeded(), c.rebuild) << c.change;
    }
    runFrames(2);
    EXPECT_FALSE(algorithm->rebuildNeeded());
}

TEST_F(StereoForwardAlgorithmTest, BackToFrontDrawsTheFartherFirstAndByMaterialGroupsByMesh)
{
    StereoCamera *eyes = addCentredCamera();
    MeshRenderer *nearer = addSquare({ 0, 0, 8 }, 1.0f); // depth 2
    MeshRenderer *farther = addSquare({ 0, 0, 5 }, 1.0f); // depth 5
    Entity *sameMeshAsNearer = addInstance(nearer->mesh.get(), farther->material.get(), { 1, 0, 0 }); // depth 10
    auto *algorithm = startOnOneTarget(eyes);
    algorithm->renderPhases = { phase(Sort::SortBackToFront), phase(Sort::SortByMaterial), phase(Sort::NoSort) };
    runFrames(2);

    auto order = [&](std::size_t phaseIndex) {
        std::vector<const MeshRenderer *> renderers;
        for (const auto *entry : algorithm->phaseDrawOrder(phaseIndex))
            renderers.push_back(entry->meshRenderer);
        return renderers;
    };
    const MeshRenderer *third = sameMeshAsNearer->component<MeshRenderer>();
    EXPECT_EQ(order(0), (std::vector<const MeshRenderer *>{ third, farther, nearer }));
    EXPECT_EQ(order(2), (std::vector<const MeshRenderer *>{ nearer, farther, third })) << "the order they came in";
    // The two renderers of one mesh are next to each other, whichever mesh comes first.
    const auto byMaterial = order(1);
    ASSERT_EQ(byMaterial.size(), 3u);
    EXPECT_NE(byMaterial[1], farther) << "the renderers of the shared mesh are split up";
}

TEST_F(StereoForwardAlgorithmTest, FrustumCullingSkipsWhatLiesOutsideTheLeftEye)
{
    StereoCamera *eyes = addCentredCamera();
    MeshRenderer *inside = addSquare({ 2, 0, 0 }, 2.0f);
    // Drawn left of the middle of the view, but its declared bounds lie far to the right.
    MeshRenderer *claimedOutside = addSquare({ -2, 0, 0 }, 2.0f);
    claimedOutside->localBoundingBoxMin = glm::vec3(999.0f, -1.0f, -1.0f);
    claimedOutside->localBoundingBoxMax = glm::vec3(1001.0f, 1.0f, 1.0f);
    auto *algorithm = startOnOneTarget(eyes);

    for (const bool culling : { false, true }) {
        algorithm->renderPhases = { phase(Sort::NoSort, culling) };
        runFrames(3);
        const auto &entries = algorithm->meshRendererEntries();
        ASSERT_EQ(entries.size(), 2u);
        ASSERT_EQ(entries[0].meshRenderer, inside);
        EXPECT_TRUE(algorithm->isInsideLeftFrustum(entries[0]));
        EXPECT_FALSE(algorithm->isInsideLeftFrustum(entries[1]));

        const Image left = readTarget(0).at(0);
        uint64_t leftHalf = 0;
        uint64_t rightHalf = 0;
        for (uint32_t y = 0; y < H; ++y) {
            for (uint32_t x = 0; x < W; ++x)
                (x < W / 2 ? leftHalf : rightHalf) += lit(left.at(x, y));
        }
        EXPECT_GT(rightHalf, 0u);
        if (culling)
            EXPECT_EQ(leftHalf, 0u) << "the culled square is drawn";
        else
            EXPECT_EQ(leftHalf, rightHalf) << "without culling both squares are drawn";
    }
}

TEST_F(StereoForwardAlgorithmTest, SideBySideHalvesOfAnOddWidthAreIntegerHalves)
{
    constexpr uint32_t Wide = 1921;
    constexpr uint32_t Low = 8;
    StereoCamera *eyes = addCamera({ 0, 0, 10 }, 0.0f, 10.0f, float(Wide) / Low);
    const float halfWidth = std::tan(glm::radians(22.5f)) * 10.0f * float(Wide) / Low;
    // Lights the right quarter of each eye's view and a little beyond, the full height: a unit square stretched.
    MeshRenderer *band = addSquare({ 0.8f * halfWidth, 0, 0 }, 1.0f);
    band->entity.get()->component<SrtTransform>()->scale = glm::vec3(0.6f * halfWidth, 10.0f, 1.0f);
    auto *algorithm = startStereo({ offscreenReference(Wide, Low, 2), offscreenReference(Wide, Low, 1) }, 0, 1,
                                  Mode::SideBySide, eyes, 1);
    algorithm->clearColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    runFrames(3);
    const Image composed = readTarget(1).at(0);
    // Lavapipe drops the right view's triangles that are clipped at the view's edges, so only the left eye's
    // half is checked for what it shows; the right half starts dark either way.
    for (uint32_t y = 0; y < Low; ++y) {
        EXPECT_FALSE(lit(composed.at(0, y)));
        EXPECT_TRUE(lit(composed.at(959, y))) << "the left eye's right edge";
        EXPECT_FALSE(lit(composed.at(960, y))) << "the right eye's left edge";
        EXPECT_FALSE(lit(composed.at(1920, y))) << "the odd column belongs to neither half";
    }
    // The left half shows the whole left eye squeezed into 960 columns: its lit quarter is about 240 wide.
    uint32_t litColumns = 0;
    for (uint32_t x = 0; x < 960; ++x)
        litColumns += lit(composed.at(x, Low / 2));
    EXPECT_NEAR(litColumns, 240, 4);
}

TEST_F(StereoForwardAlgorithmTest, DrawCommandsWithAnEmptyScissorDrawWholeAndOthersAreClipped)
{
    StereoCamera *eyes = addCentredCamera();
    MeshRenderer *square = addSquare({ 0, 0, 0 }, 4.0f);
    const uint32_t indexCount = uint32_t(square->mesh.get()->indexBuffer.get()->data.get().size() / 4);
    ASSERT_GT(indexCount, 0u);
    startOnOneTarget(eyes);
    runFrames(3);
    const Image whole = readTarget(0).at(0);
    const uint64_t wholeCount = litCount(whole);
    ASSERT_GT(wholeCount, 200u);

    struct Case {
        std::array<uint32_t, 4> rectangle;
        uint32_t firstColumn, lastColumn; // the lit columns, inclusive
    };
    const Case cases[] = {
        { { 5, 7, 0, 10 }, 0, W - 1 }, // no width: the whole surface
        { { 5, 7, 10, 0 }, 0, W - 1 }, // no height: the whole surface
        { { W / 2, 0, 3, H }, W / 2, W / 2 + 2 },
    };
    for (const Case &c : cases) {
        MeshRenderer::DrawCommand command;
        command.count = indexCount;
        command.algorithmData = c.rectangle;
        square->drawCommands = { command };
        runFrames(3);
        const Image image = readTarget(0).at(0);
        uint64_t count = 0;
        for (uint32_t y = 0; y < H; ++y) {
            for (uint32_t x = 0; x < W; ++x) {
                if (!lit(image.at(x, y)))
                    continue;
                ++count;
                EXPECT_TRUE(x >= c.firstColumn && x <= c.lastColumn) << "lit at " << x << ", " << y;
            }
        }
        if (c.lastColumn == W - 1)
            EXPECT_EQ(count, wholeCount);
        else
            EXPECT_GT(count, 0u);
    }
}

TEST_F(StereoForwardAlgorithmTest, ModelSlotsAreReusedAndBlocksBehindARemovedOneStayInPlace)
{
    StereoCamera *eyes = addCentredCamera();
    MeshRenderer *first = addSquare({ 0, 0, 50 }, 1.0f); // behind the camera: never seen
    Mesh *shared = first->mesh.get();
    Material *material = first->material.get();
    auto *algorithm = startOnOneTarget(eyes);
    runFrames(1);
    const uint64_t perBlock = algorithm->modelBlocks().blocks().at(0).slotCount();

    // Fill the first block, then a second, then put one visible square into a third.
    std::vector<Entity *> secondBlock;
    for (uint64_t i = 1; i < perBlock; ++i)
        addInstance(shared, material, { 0, 0, 50 });
    for (uint64_t i = 0; i < perBlock; ++i)
        secondBlock.push_back(addInstance(shared, material, { 0, 0, 50 }));
    Entity *marker = addInstance(shared, material, { -2, 0, 0 });
    runFrames(2);
    ASSERT_EQ(algorithm->modelBlocks().blocks().size(), 3u);
    EXPECT_EQ(algorithm->meshRendererEntries().back().modelSlot.blockIndex, 2u);

    // A renderer of the first block goes and another comes: it takes the freed slot.
    Entity *leaving = root->childEntities()[5].get();
    const auto slotOf = [&](const Entity *entity) {
        for (const auto &entry : algorithm->meshRendererEntries()) {
            if (entry.meshRenderer->entity.get() == entity)
                return entry.modelSlot;
        }
        return ModelSlot{ 99, 99 };
    };
    const ModelSlot freed = slotOf(leaving);
    ASSERT_EQ(freed.blockIndex, 0u);
    root->takeChildEntity(leaving);
    runFrames(1);
    Entity *arriving = addInstance(shared, material, { 2, 0, 0 });
    runFrames(2);
    EXPECT_EQ(slotOf(arriving).blockIndex, freed.blockIndex);
    EXPECT_EQ(slotOf(arriving).slot, freed.slot);
    root->takeChildEntity(arriving);

    // The whole second block goes: the third block moves into its place and the marker keeps being drawn where
    // its entity is, also after it moved.
    for (Entity *entity : secondBlock)
        root->takeChildEntity(entity);
    runFrames(2);
    ASSERT_EQ(algorithm->modelBlocks().blocks().size(), 2u);
    EXPECT_EQ(slotOf(marker).blockIndex, 1u);
    marker->component<SrtTransform>()->translation = glm::vec3(2, 0, 0);
    runFrames(3);
    const auto centre = litCentroidX(readTarget(0).at(0));
    ASSERT_TRUE(centre) << "the marker is not drawn";
    EXPECT_GT(*centre, W / 2.0 + 5.0) << "the marker is not drawn where its entity is";
}

TEST_F(StereoForwardAlgorithmTest, MaterialBytesReachTheRangeItsBindGroupReads)
{
    StereoCamera *eyes = addCentredCamera();
    MeshRenderer *square = addSquare({ 0, 0, 0 }, 4.0f);
    Material *material = square->material.get();
    // The material block at byte 256 of a larger buffer.
    auto *parameters = root->addChild(std::make_unique<UniformBuffer>());
    parameters->size = 320;
    material->setUniformBuffer(3, 0, parameters, 256);
    material->setUniformDataGenerator([](uint32_t, uint32_t) {
        const float values[16] = { 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f,
                                   0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f };
        std::vector<uint8_t> bytes(sizeof(values));
        std::memcpy(bytes.data(), values, sizeof(values));
        return bytes;
    });
    auto *algorithm = startOnOneTarget(eyes);
    algorithm->clearColor = glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
    runFrames(3);
    const Image left = readTarget(0).at(0);
    const uint8_t *centre = left.at(W / 2, H / 2);
    EXPECT_TRUE(isColour(centre, { 1, 0, 0 })) << "the generated ambient colour is red; found " << int(centre[0])
                                               << ", " << int(centre[1]) << ", " << int(centre[2]);
    EXPECT_TRUE(isColour(left.at(0, 0), { 0, 0, 1 }));
}

TEST_F(StereoForwardAlgorithmTest, ATargetIndexNamingNoTargetWarnsOnceDrawsNothingAndRecovers)
{
    StereoCamera *eyes = addCentredCamera();
    auto *algorithm = startOnOneTarget(eyes);
    runFrames(2);

    LogCapture log("render algorithm");
    algorithm->sceneTargetIndex = 5;
    algorithm->clearColor = glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    runFrames(4);
    EXPECT_EQ(log.count("names no render target"), 1) << log.text();
    EXPECT_TRUE(isColour(readTarget(0).at(0).at(3, 3), { 0, 0, 0 })) << "a frame was drawn";

    algorithm->sceneTargetIndex = 0;
    runFrames(3);
    EXPECT_TRUE(isColour(readTarget(0).at(0).at(3, 3), { 1, 0, 0 })) << "drawing did not resume";
    EXPECT_EQ(log.count("names no render target"), 1);
}

TEST_F(StereoForwardAlgorithmTest, AHundredFramesSwitchingModesLeaveNoGrowth)
{
    addLights();
    addCottage();
    StereoCamera *eyes = addCamera({ 0.0f, 6.0f, 16.0f }, 0.06f, 17.0f, float(W) / H);
    auto *algorithm =
            startStereo({ offscreenReference(W, H, 2), offscreenReference(W, H, 1) }, 0, 1, Mode::SideBySide, eyes);
    const Mode modes[] = { Mode::SideBySide, Mode::LeftEyeOnly, Mode::RightEyeOnly, Mode::Anaglyph,
                           Mode::MultiviewDirect };
    uint64_t afterWarmUp = 0;
    for (int frame = 0; frame < 100; ++frame) {
        if (frame % 10 == 0)
            algorithm->stereoMode = modes[(frame / 10) % std::size(modes)];
        if (frame == 50)
            afterWarmUp = liveAllocations();
        runFrames(1);
    }
    EXPECT_LE(liveAllocations(), afterWarmUp);
    EXPECT_FALSE(algorithm->meshRendererEntries().front().dirty);
}

} // namespace
} // namespace Orvane::Test
