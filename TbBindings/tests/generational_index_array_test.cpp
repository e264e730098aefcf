#include <TbBindings/generational_index_array.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

using TbBindings::GenerationalIndex;
using TbBindings::GenerationalIndexArray;

namespace {

// While non-zero, the next allocation of at least this many bytes fails: how a test runs out of memory
// at one chosen point.
std::size_t failAllocationFromSize = 0;

} // namespace

void *operator new(std::size_t size)
{
    if (failAllocationFromSize != 0 && size >= failAllocationFromSize) {
        failAllocationFromSize = 0;
        throw std::bad_alloc();
    }
    if (void *memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
// The array forms too, as a sanitizer runtime would otherwise supply its own and bypass the hook. Kept out
// of line so the compiler does not pair malloc and free across new[] and delete[] and warn of a mismatch.
[[gnu::noinline]] void *operator new[](std::size_t size)
{
    return operator new(size);
}
[[gnu::noinline]] void operator delete(void *memory) noexcept
{
    std::free(memory);
}
[[gnu::noinline]] void operator delete(void *memory, std::size_t) noexcept
{
    operator delete(memory);
}
[[gnu::noinline]] void operator delete[](void *memory) noexcept
{
    operator delete(memory);
}
[[gnu::noinline]] void operator delete[](void *memory, std::size_t) noexcept
{
    operator delete(memory);
}

// Ages a slot without reusing it four billion times.
struct TbBindings::Private::GenerationalIndexArrayTestAccess {
    template<typename T>
    static void setGeneration(GenerationalIndexArray<T> &array, uint32_t slot, uint32_t generation)
    {
        array.m_allocations[slot].generation = generation;
    }
};

TEST(GenerationalIndexArray, InsertGetErase)
{
    GenerationalIndexArray<std::string> array;
    const GenerationalIndex a = array.insert("a");
    const GenerationalIndex b = array.insert("b");
    EXPECT_EQ(a, (GenerationalIndex{ 0, 0 }));
    EXPECT_EQ(b, (GenerationalIndex{ 1, 0 }));
    ASSERT_NE(array.get(a), nullptr);
    EXPECT_EQ(*array.get(b), "b");

    EXPECT_TRUE(array.erase(a));
    EXPECT_EQ(array.get(a), nullptr);
    EXPECT_FALSE(array.erase(a)) << "a second erase of the same index removes nothing";
    EXPECT_EQ(array.entryCount(), 2u);
}

TEST(GenerationalIndexArray, FreedSlotsAreReusedLastFreedFirstWithHigherGeneration)
{
    GenerationalIndexArray<int> array;
    const GenerationalIndex a = array.insert(1);
    const GenerationalIndex b = array.insert(2);
    array.erase(a);
    array.erase(b);

    const GenerationalIndex c = array.insert(3);
    const GenerationalIndex d = array.insert(4);
    EXPECT_EQ(c, (GenerationalIndex{ 1, 1 }));
    EXPECT_EQ(d, (GenerationalIndex{ 0, 1 }));
    EXPECT_EQ(array.entryCount(), 2u);

    EXPECT_EQ(array.get(a), nullptr) << "a stale index never reaches the value that replaced its own";
    EXPECT_EQ(array.get(b), nullptr);
    EXPECT_FALSE(array.erase(a));
    EXPECT_EQ(*array.get(d), 4);
}

TEST(GenerationalIndexArray, ForeignIndicesFindNothing)
{
    GenerationalIndexArray<int> array;
    array.insert(1);
    EXPECT_EQ(array.get({ 5, 0 }), nullptr);
    EXPECT_EQ(array.get({ 0, 7 }), nullptr);
    EXPECT_FALSE(array.erase({ 5, 0 }));
}

TEST(GenerationalIndexArray, ValuesKeepTheirAddressWhileTheArrayGrows)
{
    GenerationalIndexArray<int> array;
    const GenerationalIndex first = array.insert(42);
    const int *address = array.get(first);
    for (int i = 0; i < 1000; ++i)
        array.insert(i);
    EXPECT_EQ(array.get(first), address);
    EXPECT_EQ(*address, 42);
}

TEST(GenerationalIndexArray, OutOfMemoryWhileGrowingPublishesNoSlot)
{
    struct Large {
        char bytes[1024] = {};
    };
    GenerationalIndexArray<Large> array;
    for (int i = 0; i < 16; ++i)
        array.insert(Large{});
    const uint32_t slotsBefore = array.entryCount();

    // The next value needs new storage, far larger than any bookkeeping allocation.
    failAllocationFromSize = 16 * sizeof(Large);
    EXPECT_THROW(array.insert(Large{}), std::bad_alloc);
    failAllocationFromSize = 0;

    ASSERT_EQ(array.entryCount(), slotsBefore) << "a slot without storage would be walked by the next emission";
    uint32_t stored = 0;
    array.forEachStoredValue(array.entryCount(), [&](auto &&...) { ++stored; });
    EXPECT_EQ(stored, slotsBefore);
    const GenerationalIndex next = array.insert(Large{});
    EXPECT_EQ(next, (GenerationalIndex{ slotsBefore, 0 }));
    EXPECT_NE(array.get(next), nullptr);
}

TEST(GenerationalIndexArray, SlotAtTheLastGenerationIsRetiredInsteadOfWrapping)
{
    GenerationalIndexArray<int> array;
    const GenerationalIndex first = array.insert(1);
    array.erase(first);
    TbBindings::Private::GenerationalIndexArrayTestAccess::setGeneration(array, 0, UINT32_MAX - 1);
    const GenerationalIndex last = array.insert(2);
    ASSERT_EQ(last, (GenerationalIndex{ 0, UINT32_MAX }));
    EXPECT_TRUE(array.erase(last));

    const GenerationalIndex next = array.insert(3);
    EXPECT_EQ(next, (GenerationalIndex{ 1, 0 })) << "slot 0 would come back with generation 0";
    EXPECT_EQ(array.get(first), nullptr) << "the oldest stale index must stay stale";
}

TEST(GenerationalIndex, PacksIndexLowAndGenerationHigh)
{
    const GenerationalIndex index{ 7, 3 };
    EXPECT_EQ(index.packed(), (uint64_t(3) << 32) | 7u);
    EXPECT_EQ(GenerationalIndex::fromPacked(index.packed()), index);
}
