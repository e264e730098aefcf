#include "vulkan/framebuffer_cache.h"
#include "vulkan/render_pass_cache.h"

#include <TbGpu/render_pass_command_recorder_options.h>

#include <gtest/gtest.h>

#include <map>

using namespace TbGpu;

namespace {

// The worst hash there is: every key in one bucket, so only equality can tell them apart.
struct OneBucket {
    size_t operator()(const FramebufferKey &) const noexcept { return 7; }
};

} // namespace

TEST(HandleCacheTest, KeysWhoseHashesCollideStillNameTheirOwnObjects)
{
    HandleCache<FramebufferKey, OneBucket, Framebuffer_t> cache;
    const FramebufferKey first{ { 0, 1 }, { { 1, 1 } }, 64, 64, 1 };
    FramebufferKey second = first;
    second.views = { { 2, 1 } };
    cache.insert(first, { 10, 1 });
    EXPECT_FALSE(cache.find(second).isValid()) << "a key that only shares the hash finds nothing";
    cache.insert(second, { 11, 1 });
    EXPECT_EQ(cache.find(first), (Handle<Framebuffer_t>{ 10, 1 }));
    EXPECT_EQ(cache.find(second), (Handle<Framebuffer_t>{ 11, 1 }));
    EXPECT_EQ(cache.takeAll().size(), 2u);
    EXPECT_EQ(cache.size(), 0u);
}

TEST(HandleCacheTest, FramebuffersLeaveWithAnyOfTheirViews)
{
    FramebufferCache cache;
    const Handle<TextureView_t> shared{ 1, 1 };
    cache.insert({ { 0, 1 }, { shared, { 2, 1 } }, 64, 64, 1 }, { 10, 1 });
    cache.insert({ { 0, 1 }, { { 3, 1 }, shared }, 64, 64, 1 }, { 11, 1 });
    cache.insert({ { 0, 1 }, { { 3, 1 } }, 64, 64, 1 }, { 12, 1 });
    std::vector<Handle<Framebuffer_t>> evicted = cache.evictUsing(shared);
    std::sort(evicted.begin(), evicted.end(), [](auto a, auto b) { return a.index < b.index; });
    EXPECT_EQ(evicted, (std::vector<Handle<Framebuffer_t>>{ { 10, 1 }, { 11, 1 } }));
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_TRUE(cache.evictUsing(shared).empty());
}

// The render pass key holds everything a recorded pass's render pass is made from, so two passes that would need
// different render passes never share one.
TEST(RenderPassKeyTest, RecordedPassesDifferInEveryInputOfTheirRenderPass)
{
    const std::map<uint32_t, Format> formats = { { 1, Format::R8G8B8A8_UNORM },
                                                 { 2, Format::B8G8R8A8_UNORM },
                                                 { 3, Format::D32_SFLOAT },
                                                 { 4, Format::R8G8B8A8_UNORM } };
    auto formatOf = [&](const Handle<TextureView_t> &view) { return formats.at(view.index); };
    RenderPassCommandRecorderOptions base;
    base.colorAttachments.resize(1);
    base.colorAttachments[0].view = { 1, 1 };
    const RenderPassKey baseKey = recordingRenderPassKey(base, formatOf);

    struct Change {
        const char *what;
        void (*apply)(RenderPassCommandRecorderOptions &);
    };
    const Change changes[] = {
        { "format",
          [](RenderPassCommandRecorderOptions &o) {
              o.colorAttachments[0].view = { 2, 1 };
          } },
        { "load",
          [](RenderPassCommandRecorderOptions &o) {
              o.colorAttachments[0].loadOperation = AttachmentLoadOperation::Load;
          } },
        { "layout in the pass",
          [](RenderPassCommandRecorderOptions &o) { o.colorAttachments[0].layout = TextureLayout::General; } },
        { "final layout",
          [](RenderPassCommandRecorderOptions &o) {
              o.colorAttachments[0].finalLayout = TextureLayout::TransferSrcOptimal;
          } },
        { "depth",
          [](RenderPassCommandRecorderOptions &o) {
              o.depthStencilAttachment.view = { 3, 1 };
          } },
        { "views", [](RenderPassCommandRecorderOptions &o) { o.viewCount = 2; } },
        { "samples and resolve",
          [](RenderPassCommandRecorderOptions &o) {
              o.samples = SampleCountFlagBits::Samples4Bit;
              o.colorAttachments[0].resolveView = { 2, 1 };
          } },
    };
    for (const Change &change : changes) {
        RenderPassCommandRecorderOptions options = base;
        change.apply(options);
        EXPECT_FALSE(recordingRenderPassKey(options, formatOf) == baseKey) << change.what;
    }

    RenderPassCommandRecorderOptions sameInputs = base;
    sameInputs.colorAttachments[0].view = { 4, 1 }; // another view of the same format
    sameInputs.colorAttachments[0].resolveView = { 2, 1 }; // ignored with one sample
    sameInputs.colorAttachments[0].clearValue.float32[0] = 1.0f; // given when the pass begins
    EXPECT_TRUE(recordingRenderPassKey(sameInputs, formatOf) == baseKey);
    EXPECT_EQ(RenderPassKeyHash{}(recordingRenderPassKey(sameInputs, formatOf)), RenderPassKeyHash{}(baseKey));
}
