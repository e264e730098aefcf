#include "offscreen_scene_test.h"

#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/shader_program.h>

#include <TbGpu/adapter.h>

using namespace Orvane;
using namespace Orvane::Test;
using Samples = RenderAlgorithm::SamplesCount;

namespace {

TbGpu::VertexOptions positionFormat()
{
    TbGpu::VertexOptions format;
    format.buffers = { { 0, 12, TbGpu::VertexRate::Vertex } };
    format.attributes = { { 0, 0, TbGpu::Format::R32G32B32_SFLOAT, 0 } };
    return format;
}

RenderStateSet colourTarget()
{
    RenderStateSet states;
    ColorBlendState blend;
    blend.attachments.push_back({ TbGpu::Format::R8G8B8A8_UNORM });
    states.setState(blend);
    return states;
}

} // namespace

class PipelineCacheTest : public OffscreenSceneTest
{
protected:
    // Puts the program into the scene, so that the next sync gives it a GPU record.
    void useInScene(ShaderProgram *shader)
    {
        auto *material = root->addChild(std::make_unique<Material>());
        material->shaderProgram = shader;
        root->addChildEntity(std::make_unique<Entity>())->createComponent<MeshRenderer>()->material = material;
    }

    Render::Pipeline *lookUp(ShaderProgram *shader) { return algorithm->pipeline(&format, shader, &states, 1); }

    TbGpu::VertexOptions format = positionFormat();
    RenderStateSet states = colourTarget();
};

TEST_F(PipelineCacheTest, APipelineAskedForBeforeItsProgramHasAGpuRecordComesOnceTheSyncMadeIt)
{
    ShaderProgram *shader = program("sets_a.frag");
    EXPECT_EQ(lookUp(shader), nullptr);
    useInScene(shader);
    runFrames(1);
    Render::Pipeline *made = lookUp(shader);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->pipeline.isValid());
    EXPECT_EQ(made->bindGroupLayouts.size(), 4u);
}

TEST_F(PipelineCacheTest, APipelineNotAskedForDuringElevenFramesIsDestroyedAndMadeAgainOnDemand)
{
    ShaderProgram *shader = program("sets_a.frag");
    useInScene(shader);
    runFrames(1);
    const auto first = lookUp(shader)->pipeline.handle();
    const std::size_t withNull = algorithm->pipelines.size();
    runFrames(10);
    EXPECT_EQ(algorithm->pipelines.size(), withNull);
    EXPECT_EQ(lookUp(shader)->pipeline.handle(), first); // a hit starts its life over
    runFrames(11);
    EXPECT_EQ(algorithm->pipelines.size(), withNull - 1);
    Render::Pipeline *again = lookUp(shader);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->pipeline.handle(), first);
}

TEST_F(PipelineCacheTest, ProgramsWithEqualLayoutsShareOnePipelineLayoutUntilTheirLastPipelineGoes)
{
    ShaderProgram *a = program("sets_a.frag");
    ShaderProgram *b = program("sets_b.frag");
    useInScene(a);
    useInScene(b);
    runFrames(1);
    Render::Pipeline *pa = lookUp(a);
    Render::Pipeline *pb = lookUp(b);
    ASSERT_TRUE(pa && pb);
    EXPECT_NE(pa->pipeline.handle(), pb->pipeline.handle());
    EXPECT_EQ(pa->layout, pb->layout);
    const auto shared = pa->layout;
    auto entryOf = [this](const TbGpu::Handle<TbGpu::PipelineLayout_t> &handle) {
        for (const auto &entry : algorithm->pipelineLayouts.entries())
            if (entry.handle == handle)
                return &entry;
        return static_cast<const Render::PipelineLayoutCache::Entry *>(nullptr);
    };
    ASSERT_NE(entryOf(shared), nullptr);
    EXPECT_EQ(entryOf(shared)->useCount, 2);
    runFrames(11);
    EXPECT_EQ(entryOf(shared), nullptr);
}

TEST(PipelineCache, KeysWithEqualHashesButOtherInputsNeverShareAPipeline)
{
    Render::PipelineCache cache;
    Render::PipelineKey oneView;
    oneView.hash = 42;
    oneView.viewCount = 1;
    Render::PipelineKey twoViews = oneView;
    twoViews.viewCount = 2;
    Render::PipelineKey otherFormat = oneView;
    otherFormat.vertexFormat = positionFormat();

    cache.insert(oneView, Render::Pipeline{ {}, {}, { { 1, 1 } } });
    EXPECT_EQ(cache.find(twoViews), nullptr);
    EXPECT_EQ(cache.find(otherFormat), nullptr);
    cache.insert(twoViews, Render::Pipeline{ {}, {}, { { 2, 1 } } });
    EXPECT_EQ(cache.size(), 2u);
    ASSERT_NE(cache.find(oneView), nullptr);
    EXPECT_EQ(cache.find(oneView)->bindGroupLayouts.at(0).index, 1u);
    EXPECT_EQ(cache.find(twoViews)->bindGroupLayouts.at(0).index, 2u);
}

TEST(PipelineKeyHash, EqualInputsGiveEqualHashes)
{
    const TbGpu::VertexOptions format = positionFormat();
    const RenderStateSet states = colourTarget();
    const RenderStateSet equalStates = colourTarget();
    const auto *program = reinterpret_cast<const ShaderProgram *>(0x1000);
    EXPECT_EQ(Render::pipelineKeyHash(&format, program, &states, 2),
              Render::pipelineKeyHash(&format, program, &equalStates, 2));
    EXPECT_NE(Render::pipelineKeyHash(&format, program, &states, 2),
              Render::pipelineKeyHash(&format, program, &states, 1));
}

struct NegotiationCase {
    Samples requested;
    uint32_t supported; // sample count bits
    Samples expected;
};

class SampleNegotiation : public ::testing::TestWithParam<NegotiationCase>
{ };

TEST_P(SampleNegotiation, TakesTheLargestSupportedCountNotAboveTheRequestAndElseOne)
{
    const NegotiationCase &c = GetParam();
    EXPECT_EQ(RenderAlgorithm::negotiatedSamples(c.requested, TbGpu::SampleCountFlags::fromInt(c.supported)),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, SampleNegotiation,
                         ::testing::Values(NegotiationCase{ Samples::Samples8, 0x7, Samples::Samples4 },
                                           NegotiationCase{ Samples(3), 0x7, Samples::Samples2 },
                                           NegotiationCase{ Samples(3), 0x5, Samples::Samples1 },
                                           NegotiationCase{ Samples::Samples8, 0x5, Samples::Samples4 },
                                           NegotiationCase{ Samples::Samples2, 0x5, Samples::Samples1 }));

using SampleCountTest = RenderEngineTest;

TEST_F(SampleCountTest, InstallingNegotiatesWithTheAdapterAndRefusesUnsupportedCountsAfterwards)
{
    const auto supported = renderer->device().adapter()->properties().limits.framebufferColorSampleCounts.toInt();
    if (supported != 0x5)
        GTEST_SKIP() << "this check is written for lavapipe's sample counts (1 and 4)";
    for (auto [requested, expected] :
         { std::pair{ Samples::Samples8, Samples::Samples4 }, std::pair{ Samples(3), Samples::Samples1 } }) {
        auto algorithm = std::make_unique<ClearAlgorithm>();
        algorithm->samples = requested;
        algorithm->renderTargetRefs = { offscreenReference(4, 4, 1) };
        ClearAlgorithm *installed = algorithm.get();
        renderer->setRenderAlgorithm(std::move(algorithm));
        EXPECT_EQ(installed->samples.get(), expected) << "requested " << uint32_t(requested);
        installed->samples = Samples::Samples2;
        EXPECT_EQ(installed->samples.get(), expected);
    }
    renderer->setRenderAlgorithm(nullptr);
}
