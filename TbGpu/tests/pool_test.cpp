#include <TbGpu/handle.h>
#include <TbGpu/pool.h>

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

using namespace TbGpu;

namespace {

struct Tag { };
using TestPool = Pool<std::string, Tag>;

} // namespace

TEST(HandleTest, DefaultIsInvalidAndSlotZeroIsNormal)
{
    constexpr Handle<Buffer_t> none;
    EXPECT_EQ(none.index, 0u);
    EXPECT_EQ(none.generation, 0u);
    EXPECT_FALSE(none.isValid());
    EXPECT_TRUE((Handle<Buffer_t>{ 0, 1 }.isValid()));
    EXPECT_EQ((Handle<Buffer_t>{ 3, 2 }), (Handle<Buffer_t>{ 3, 2 }));
    EXPECT_NE((Handle<Buffer_t>{ 3, 2 }), (Handle<Buffer_t>{ 3, 1 }));
    EXPECT_EQ(sizeof(Handle<Buffer_t>), 8u);
}

TEST(HandleTest, HashCombinesIndexThenGeneration)
{
    const Handle<Texture_t> handle{ 7, 3 };
    size_t expected = 0;
    expected ^= std::hash<uint32_t>{}(7) + 0x9e3779b9 + (expected << 6) + (expected >> 2);
    expected ^= std::hash<uint32_t>{}(3) + 0x9e3779b9 + (expected << 6) + (expected >> 2);
    EXPECT_EQ(std::hash<Handle<Texture_t>>{}(handle), expected);

    std::unordered_set<Handle<Texture_t>> set{ { 0, 1 }, { 1, 0 }, { 0, 2 } };
    EXPECT_EQ(set.size(), 3u);
}

TEST(PoolTest, FirstInsertIntoEmptyPoolIsZeroOne)
{
    TestPool pool(4);
    const auto handle = pool.insert("first");
    EXPECT_EQ(handle, (Handle<Tag>{ 0, 1 }));
    ASSERT_NE(pool.get(handle), nullptr);
    EXPECT_EQ(*pool.get(handle), "first");
    EXPECT_EQ(pool.get(Handle<Tag>{ 0, 0 }), nullptr) << "generation 0 never names a record";
    EXPECT_EQ(pool.get(Handle<Tag>{ 1, 1 }), nullptr) << "index past the end";
}

TEST(PoolTest, ReuseGivesNewGenerationAndOldHandleGoesStale)
{
    TestPool pool(4);
    const auto first = pool.insert("a");
    pool.remove(first);
    EXPECT_EQ(pool.get(first), nullptr);
    const auto second = pool.insert("b");
    EXPECT_EQ(second, (Handle<Tag>{ 0, 2 }));
    EXPECT_EQ(pool.get(first), nullptr) << "a stale handle stays stale after its slot is reused";
    pool.remove(first); // ignored
    ASSERT_NE(pool.get(second), nullptr);
    EXPECT_EQ(*pool.get(second), "b");
}

TEST(PoolTest, RemovingTwiceRaisesGenerationOnce)
{
    TestPool pool(2);
    const auto handle = pool.insert("x");
    pool.remove(handle);
    pool.remove(handle);
    EXPECT_EQ(pool.size(), 0u);
    EXPECT_EQ(pool.insert("y"), (Handle<Tag>{ 0, 2 }));
    EXPECT_EQ(pool.size(), 1u);
}

TEST(PoolTest, FreedSlotsAreReusedLastInFirstOut)
{
    TestPool pool(8);
    std::vector<Handle<Tag>> handles;
    for (int i = 0; i < 6; ++i)
        handles.push_back(pool.insert(std::to_string(i)));
    pool.remove(handles[3]);
    pool.remove(handles[5]);
    EXPECT_EQ(pool.insert("n1").index, 5u);
    EXPECT_EQ(pool.insert("n2").index, 3u);
    EXPECT_EQ(*pool.get(handles[4]), "4") << "untouched records keep their values";
}

TEST(PoolTest, CapacityDoublesWhenLiveRecordsReachIt)
{
    TestPool pool(128);
    EXPECT_EQ(pool.capacity(), 128u);
    for (int i = 0; i < 128; ++i)
        pool.insert("r");
    EXPECT_EQ(pool.capacity(), 128u);
    pool.insert("r129");
    EXPECT_EQ(pool.capacity(), 256u);

    TestPool empty(0);
    empty.insert("one");
    EXPECT_EQ(empty.capacity(), 1u) << "a capacity of 0 becomes 1";
    empty.insert("two");
    EXPECT_EQ(empty.capacity(), 2u);
}

TEST(PoolTest, RemovedSlotsDoNotCountTowardsCapacity)
{
    TestPool pool(2);
    const auto a = pool.insert("a");
    pool.insert("b");
    pool.remove(a);
    pool.insert("c"); // live is 1 before this insert
    EXPECT_EQ(pool.capacity(), 2u);
}
