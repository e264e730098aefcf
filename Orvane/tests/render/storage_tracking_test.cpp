#include "../assets/dds_fixture.h"
#include "offscreen_scene_test.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/dds_image.h>
#include <Orvane/assets/light.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/assets/texture.h>
#include <Orvane/render/storages/buffer_storage.h>
#include <Orvane/render/storages/default_material_storage.h>
#include <Orvane/render/storages/light_storage.h>
#include <Orvane/render/storages/mesh_storage.h>
#include <Orvane/render/storages/shader_program_storage.h>
#include <Orvane/render/storages/texture_storage.h>

#include <cstring>

using namespace Orvane;
using namespace Orvane::Test;

namespace {

std::vector<uint8_t> bytesOf(std::size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(seed + i * 3);
    return bytes;
}

} // namespace

class StorageTrackingTest : public OffscreenSceneTest
{
protected:
    template<typename T>
    T *own(std::unique_ptr<T> object)
    {
        return root->addChild(std::move(object));
    }

    // The bytes of one level and layer of a GPU texture that was uploaded for sampling.
    std::vector<uint8_t> textureBytes(const TbGpu::Handle<TbGpu::Texture_t> &texture, uint32_t layer, uint32_t level,
                                      TbGpu::Extent3D extent, uint64_t size)
    {
        TbGpu::Device &gpu = renderer->device();
        TbGpu::Buffer readback = TbGpuTest::readbackBuffer(gpu, size);
        TbGpu::CommandRecorder recorder = gpu.createCommandRecorder();
        TbGpu::TextureMemoryBarrierOptions barrier;
        barrier.srcStages = TbGpu::PipelineStageFlagBits::FragmentShaderBit;
        barrier.dstStages = TbGpu::PipelineStageFlagBits::TransferBit;
        barrier.dstMask = TbGpu::AccessFlagBits::TransferReadBit;
        barrier.oldLayout = TbGpu::TextureLayout::ShaderReadOnlyOptimal;
        barrier.newLayout = TbGpu::TextureLayout::TransferSrcOptimal;
        barrier.texture = texture;
        barrier.range = { TbGpuTest::colourAspect, level, 1, layer, 1 };
        recorder.textureMemoryBarrier(barrier);
        TbGpu::BufferTextureCopyRegion region;
        region.textureSubResource = { TbGpu::TextureAspectFlagBits::ColorBit, level, layer, 1 };
        region.textureExtent = extent;
        recorder.copyTextureToBuffer(
                { texture, TbGpu::TextureLayout::TransferSrcOptimal, readback.handle(), { region } });
        TbGpuTest::transferToHostBarrier(recorder, readback);
        TbGpuTest::submitAndWait(gpu, recorder.finish());
        return TbGpuTest::bufferBytes(readback, size);
    }
};

TEST_F(StorageTrackingTest, StoragesFollowTheSceneThroughAddChangeAndRemove)
{
    Entity *entity = root->addChildEntity(std::make_unique<Entity>());
    auto *meshRenderer = entity->createComponent<MeshRenderer>();
    auto *light = entity->createComponent<Light>();

    Mesh *mesh = own(std::make_unique<Mesh>());
    mesh->setVertices({ bytesOf(960, 1) });
    TbGpu::VertexOptions format;
    format.buffers = { { 0, 32, TbGpu::VertexRate::Vertex } };
    format.attributes = { { 0, 0, TbGpu::Format::R32G32B32_SFLOAT, 0 } };
    mesh->setVertexFormat(format);
    Mesh *indexedMesh = own(std::make_unique<Mesh>());
    indexedMesh->setVertices({ bytesOf(96, 2) });
    indexedMesh->setIndices({ 0, 1, 2, 2, 1, 0, 0, 1, 2 });

    Material *material = own(std::make_unique<Material>());
    ShaderProgram *shader = program("sets_a.frag");
    material->shaderProgram = shader;
    auto *uniforms = own(std::make_unique<Buffer>());
    uniforms->usage = TbGpu::BufferUsageFlagBits::UniformBufferBit | TbGpu::BufferUsageFlagBits::TransferDstBit;
    uniforms->memoryUsage = TbGpu::MemoryUsage::GpuOnly;
    uniforms->data = bytesOf(64, 3);
    material->setUniformBuffer(0, 0, uniforms, 0);
    std::vector<uint8_t> pixels = bytesOf(4 * 4 * 4, 4);
    auto *texture = own(std::make_unique<HandMadeTexture>());
    texture->data = pixels.data();
    texture->width = 4u;
    texture->height = 4u;
    texture->format = TbGpu::Format::R8G8B8A8_UNORM;
    material->setTexture(3, 0, texture);
    meshRenderer->mesh = mesh;
    meshRenderer->material = material;
    auto *second = entity->createComponent<MeshRenderer>();
    second->mesh = indexedMesh;
    runFrames(1);

    const MeshRecord *meshRecord = renderer->meshStorage().find(mesh);
    ASSERT_NE(meshRecord, nullptr);
    EXPECT_FALSE(meshRecord->indexed);
    EXPECT_EQ(meshRecord->vertexCount, 30u);
    EXPECT_EQ(meshRecord->vertexBuffers.at(0),
              renderer->bufferStorage().find(mesh->vertexBuffers.get()[0])->buffer.handle());
    const MeshRecord *indexedRecord = renderer->meshStorage().find(indexedMesh);
    ASSERT_NE(indexedRecord, nullptr);
    EXPECT_EQ(indexedRecord->indexCount, 9u);
    EXPECT_EQ(indexedRecord->indexType, 1u);
    const ShaderProgramRecord *programRecord = renderer->shaderProgramStorage().find(shader);
    ASSERT_NE(programRecord, nullptr);
    EXPECT_EQ(programRecord->bindGroupLayoutHandles.size(), 4u); // sets 0 and 3, and two empty ones between
    EXPECT_EQ(programRecord->modules.size(), 2u);
    ASSERT_NE(renderer->materialStorage().find(material), nullptr);
    EXPECT_EQ(renderer->materialStorage().find(material)->shaderProgram, programRecord);
    const TextureRecord *textureRecord = renderer->textureStorage().find(texture);
    ASSERT_NE(textureRecord, nullptr);
    EXPECT_EQ(textureBytes(textureRecord->texture.handle(), 0, 0, { 4, 4, 1 }, pixels.size()), pixels);
    ASSERT_NE(renderer->lightStorage().find(light), nullptr);
    EXPECT_EQ(renderer->activeMeshRenderers().size(), 2u);

    // New data of the same size: no new GPU buffer, one upload queued for the next frame.
    const BufferRecord *uniformRecord = renderer->bufferStorage().find(uniforms);
    ASSERT_NE(uniformRecord, nullptr);
    EXPECT_EQ(uniformRecord->size, 64u);
    const auto uniformHandle = uniformRecord->buffer.handle();
    renderer->bufferStorage().takePendingUploads();
    uniforms->data = bytesOf(64, 9);
    light->intensity = 2.0f;
    runFrames(1);
    EXPECT_EQ(renderer->bufferStorage().find(uniforms)->buffer.handle(), uniformHandle);
    ASSERT_EQ(renderer->bufferStorage().pendingUploads().size(), 1u);
    EXPECT_EQ(renderer->bufferStorage().pendingUploads()[0].first, uniforms);
    EXPECT_EQ(renderer->lightStorage().find(light)->intensity, 2.0f);

    // Host-visible: one copy per frame slot, both holding the data.
    uniforms->memoryUsage = TbGpu::MemoryUsage::CpuToGpu;
    runFrames(1);
    BufferRecord *hostRecord = renderer->bufferStorage().find(uniforms);
    ASSERT_TRUE(uniforms->hostVisible.get());
    EXPECT_NE(hostRecord->buffer.handle(), uniformHandle);
    renderer->device().waitUntilIdle();
    std::vector<uint8_t> both(128);
    std::memcpy(both.data(), hostRecord->buffer.map(), 128);
    hostRecord->buffer.unmap();
    EXPECT_EQ(std::vector<uint8_t>(both.begin(), both.begin() + 64), bytesOf(64, 9));
    EXPECT_EQ(std::vector<uint8_t>(both.begin() + 64, both.end()), bytesOf(64, 9));

    // Removing the entity takes its components out of the storages and the draw set.
    events.clear();
    root->takeChildEntity(entity).reset();
    runFrames(1);
    EXPECT_EQ(renderer->lightStorage().find(light), nullptr);
    EXPECT_TRUE(renderer->activeMeshRenderers().empty());
    EXPECT_TRUE(renderer->meshRenderers().empty());
    EXPECT_EQ(std::count(events.begin(), events.end(), "clear: mesh renderer removed"), 2);
}

TEST_F(StorageTrackingTest, AMeshRendererWithoutEntityLeavesTheDrawSetAndComesBackAsAdded)
{
    Entity *entity = root->addChildEntity(std::make_unique<Entity>());
    auto *meshRenderer = entity->createComponent<MeshRenderer>();
    runFrames(1);
    events.clear();
    meshRenderer->entity = nullptr;
    runFrames(1);
    meshRenderer->entity = entity;
    runFrames(1);
    EXPECT_EQ(events, (std::vector<std::string>{ "clear: mesh renderer removed", "clear: mesh renderer added" }));
}

// A subtree taken out of the scene is no longer drawn, down to its deepest mesh renderer, and is drawn
// again once it is put back.
TEST_F(StorageTrackingTest, ASubtreeTakenOutLeavesTheDrawSetWholeUntilItIsPutBack)
{
    Entity *parent = root->addChildEntity(std::make_unique<Entity>());
    Entity *child = parent->addChildEntity(std::make_unique<Entity>());
    child->createComponent<MeshRenderer>();
    runFrames(1);
    ASSERT_EQ(renderer->activeMeshRenderers().size(), 1u);

    std::unique_ptr<Entity> detached = root->takeChildEntity(parent);
    runFrames(1);
    EXPECT_TRUE(renderer->activeMeshRenderers().empty());
    EXPECT_TRUE(renderer->meshRenderers().empty());

    root->addChildEntity(std::move(detached));
    runFrames(1);
    EXPECT_EQ(renderer->activeMeshRenderers().size(), 1u);
}

TEST_F(StorageTrackingTest, NullEntriesOfTrackedListsAreSkippedWithOneWarning)
{
    Orvane::Test::LogCapture aspectLog("render aspect");
    Entity *entity = root->addChildEntity(std::make_unique<Entity>());
    auto *meshRenderer = entity->createComponent<MeshRenderer>();
    Mesh *mesh = own(std::make_unique<Mesh>());
    auto *vertices = own(std::make_unique<VertexBuffer>());
    vertices->data = bytesOf(48, 5);
    mesh->vertexBuffers = { nullptr, vertices, nullptr };
    meshRenderer->mesh = mesh;
    runFrames(1);
    EXPECT_EQ(aspectLog.count("null entries"), 1u);
    EXPECT_NE(renderer->bufferStorage().find(vertices), nullptr);
    const MeshRecord *record = renderer->meshStorage().find(mesh);
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->vertexBuffers[0].isValid());
    EXPECT_TRUE(record->vertexBuffers[1].isValid());
}

TEST_F(StorageTrackingTest, BlockCompressedMipChainsAndCubeMapsUploadEveryLevelAndFace)
{
    TemporaryDirectory directory;
    // BC1, 16 x 16 with three levels: 4 x 4, 2 x 2 and 1 x 1 blocks of 8 bytes.
    const std::string bc1File =
            directory.write("mips.dds", DdsFixture::compressed("DXT1", 16, 16, 3).withPattern(128 + 32 + 8).bytes());
    // A cube map of 8 x 8 RGBA8 faces with two levels each.
    auto cube = DdsFixture::masked(DdsFixture::kPfRgb | DdsFixture::kPfAlphaPixels, 32, 0xFF, 0xFF00, 0xFF0000,
                                   0xFF000000, 8, 8);
    cube.mipCount = 2;
    cube.caps2 = DdsFixture::kCaps2Cubemap | DdsFixture::kCaps2AllFaces;
    cube.withPattern(6 * (8 * 8 * 4 + 4 * 4 * 4));
    const std::string cubeFile = directory.write("cube.dds", cube.bytes());

    auto *compressed = own(std::make_unique<Texture2D>());
    compressed->setPath(bc1File);
    ASSERT_EQ(compressed->status.get(), Texture::Status::Loaded);
    auto *cubeMap = own(std::make_unique<HandMadeTexture>(Texture::TextureType::CubeMap));
    cubeMap->setPath(cubeFile);
    ASSERT_NE(cubeMap->ddsImage(), nullptr);
    Material *material = own(std::make_unique<Material>());
    material->setTexture(0, 0, compressed);
    material->setTexture(0, 1, cubeMap);
    Entity *entity = root->addChildEntity(std::make_unique<Entity>());
    entity->createComponent<MeshRenderer>()->material = material;
    runFrames(1);

    const TextureRecord *bc1 = renderer->textureStorage().find(compressed);
    ASSERT_NE(bc1, nullptr);
    ASSERT_TRUE(bc1->view.isValid());
    const DdsImage &bc1Image = *compressed->ddsImage();
    const DdsSubresource &level1 = bc1Image.subresource(0, 0, 1);
    EXPECT_EQ(textureBytes(bc1->texture.handle(), 0, 1, { 8, 8, 1 }, level1.size),
              std::vector<uint8_t>(bc1Image.data.begin() + level1.offset,
                                   bc1Image.data.begin() + level1.offset + level1.size));

    const TextureRecord *cubeRecord = renderer->textureStorage().find(cubeMap);
    ASSERT_NE(cubeRecord, nullptr);
    ASSERT_TRUE(cubeRecord->view.isValid()); // a cube view needs six layers and the cube-compatible flag
    const DdsImage &cubeImage = *cubeMap->ddsImage();
    for (uint32_t face : { 0u, 5u }) {
        const DdsSubresource &faceLevel = cubeImage.subresource(0, face, 1);
        EXPECT_EQ(textureBytes(cubeRecord->texture.handle(), face, 1, { 4, 4, 1 }, faceLevel.size),
                  std::vector<uint8_t>(cubeImage.data.begin() + faceLevel.offset,
                                       cubeImage.data.begin() + faceLevel.offset + faceLevel.size))
                << "face " << face;
    }
}

TEST_F(StorageTrackingTest, ATextureWithSeveralLayersGetsThemAll)
{
    std::vector<uint8_t> pixels = bytesOf(2 * 2 * 4 * 3, 7);
    auto *texture = own(std::make_unique<HandMadeTexture>());
    texture->data = pixels.data();
    texture->width = 2u;
    texture->height = 2u;
    texture->arrayLayers = 3u;
    texture->format = TbGpu::Format::R8G8B8A8_UNORM;
    Material *material = own(std::make_unique<Material>());
    material->setTexture(0, 0, texture);
    root->addChildEntity(std::make_unique<Entity>())->createComponent<MeshRenderer>()->material = material;
    runFrames(1);
    const TextureRecord *record = renderer->textureStorage().find(texture);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(textureBytes(record->texture.handle(), 2, 0, { 2, 2, 1 }, 16),
              std::vector<uint8_t>(pixels.begin() + 32, pixels.end()));
}

TEST_F(StorageTrackingTest, ANewRootEmptiesTheStoragesThenTracksTheNewTreeWithAFreshNullProgram)
{
    auto *buffer = own(std::make_unique<VertexBuffer>());
    buffer->data = bytesOf(12, 1);
    Mesh *mesh = own(std::make_unique<Mesh>());
    mesh->vertexBuffers = { buffer };
    root->addChildEntity(std::make_unique<Entity>())->createComponent<MeshRenderer>()->mesh = mesh;
    runFrames(1);
    ShaderProgram *oldNull = algorithm->nullShaderProgram;
    ASSERT_NE(renderer->shaderProgramStorage().find(oldNull), nullptr);
    ASSERT_EQ(renderer->meshStorage().size(), 1u);

    auto newRoot = std::make_unique<Entity>();
    auto *newBuffer = newRoot->addChild(std::make_unique<VertexBuffer>());
    newBuffer->data = bytesOf(24, 2);
    Mesh *newMesh = newRoot->addChild(std::make_unique<Mesh>());
    newMesh->vertexBuffers = { newBuffer };
    newRoot->addChildEntity(std::make_unique<Entity>())->createComponent<MeshRenderer>()->mesh = newMesh;
    events.clear();
    root = newRoot.get();
    engine->setRootEntity(std::move(newRoot));
    EXPECT_EQ(renderer->meshStorage().size(), 0u);
    EXPECT_EQ(renderer->bufferStorage().size(), 0u);
    EXPECT_EQ(events, (std::vector<std::string>{ "clear: mesh renderer removed" }));
    ASSERT_NE(algorithm->nullShaderProgram, nullptr);
    EXPECT_EQ(algorithm->nullShaderProgram->parent(), root);
    EXPECT_NE(renderer->shaderProgramStorage().find(algorithm->nullShaderProgram), nullptr);

    runFrames(1);
    EXPECT_NE(renderer->meshStorage().find(newMesh), nullptr);
    EXPECT_NE(renderer->bufferStorage().find(newBuffer), nullptr);
    EXPECT_EQ(renderer->activeMeshRenderers().size(), 1u);
}
